#pragma once
// The crash note in the table targets: a table of the index target's columns (ID, Name text
// of 10, Update, Active; five rows, the third deleted) opened through the table component in
// the in-memory directory, with one of its files replaced, so that the note an interrupted
// operation leaves in the index header (bytes 3980 to 3992) is held against the data file and
// repaired or refused, and whatever then opens is read and checked. Every input must end in
// a result code, never in a crash, a leak or a hang.

#include <cstddef>
#include <cstdint>
#include <string>

namespace wispel::fuzz {

// The table's files as the engine makes them (built once).
const std::string& noteTableData();
const std::string& noteTableIndex();

// Opens the table made of these two files, walks its rows and checks it; nothing stays.
void openNoteTable(const std::string& data, const std::string& index);

// The index file with a note: kind (1 insert, 2 modify, 3 delete), slot, free-chain link and
// the data header's change counter before the operation.
std::string indexWithNote(std::uint8_t kind, std::uint32_t slot, std::uint32_t link,
                          std::int32_t dataCounter);

// The data header's change counter of noteTableData().
std::int32_t noteTableCounter();

// Writes the index file with each note a kill can leave, and a few that do not fit, into
// `folder` (seeds for the index target's corpus).
void writeNoteSeeds(const std::string& folder);

}  // namespace wispel::fuzz
