#pragma once
// Subscription lists in OPML 1.0 and 2.0 read into the feeds they name, checked against the
// sites' rules (feeds/SiteValues.h), so that a caller may store every one of them or none.
//
//   <opml version="2.0"><head>...</head><body>
//     <outline text="Tech">                                   a folder: its feeds count,
//       <outline text="Gazette" xmlUrl="http://g.example/rss"/>   it does not
//     </outline>
//   </body></opml>
//
// Every `outline` under `body` whose `xmlUrl` holds an address is a feed, at any depth
// (folders are flattened, in document order). Its name is `text`, else `title`, else the
// address, with runs of blanks and control characters made one space and cut to the Name
// column's width without splitting a character. The address is `xmlUrl` without the blanks
// around it. An outline with an empty or no `xmlUrl` is a folder or a note and gives nothing.
//
// Bounds: a file of more than kOpmlMaxFileSize bytes is refused before it is read; a file
// whose markup would make more than kOpmlMaxNodes nodes, or whose outlines nest deeper than
// kOpmlMaxDepth, is refused with the line where it went too far. An external DTD is never
// fetched. Cost is linear in the size of the file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exception.h"

namespace wispel {

// What is wrong with a file that is not a list of feeds we can store: malformed XML (with
// the line and column the parser stopped at), another kind of document, a file past a
// bound, or an address the sites table refuses (with its line and the value).
WISPEL_DECLARE_EXCEPTION(EOpmlError, Exception);

// Real lists have hundreds of outlines; these bounds leave room for some 50 000.
// The bytes of a file: 16 MiB, far more than 50 000 outlines of usual length take.
inline constexpr std::size_t kOpmlMaxFileSize = std::size_t{16} << 20;
// Elements, attributes, their texts and the blanks between: an outline with a name, a title,
// a type and an address makes about ten. Markup as dense as `<i/>` reaches this bound long
// before the size bound, and memory stays near 40 MB.
inline constexpr std::size_t kOpmlMaxNodes = std::size_t{1} << 19;
// Folders inside folders; real lists use two or three levels.
inline constexpr int kOpmlMaxDepth = 64;

// A feed of the list.
struct TOpmlFeed {
    std::string Name;  // fits the Name column; never empty
    std::string URL;   // passes siteAddressProblem
    int Line = 0;      // the line of its outline's start tag, from 1; 0 when unknown
};

// The feeds of an OPML document held in `bytes` (any encoding XML allows), in document
// order, repeats included. EOpmlError when it is not one or a feed's address is refused.
std::vector<TOpmlFeed> readOpml(std::string_view bytes);

// The same for a file; EOpmlError also when it cannot be read ("Cannot read FILE: ...").
std::vector<TOpmlFeed> readOpmlFile(const std::string& path);

}  // namespace wispel
