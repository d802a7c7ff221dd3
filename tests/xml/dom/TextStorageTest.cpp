#include <random>
#include <string>
#include <vector>

#include "DomTestSupport.h"
#include "xml/dom/TextArena.h"
#include "xml/errors/DomException.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {
namespace {

// A text of `count` units from a seed, so that each change writes something new.
DOMString piece(std::mt19937& random, std::size_t count) {
    DOMString text(count, u'a');
    for (char16_t& unit : text) unit = static_cast<char16_t>(u'a' + random() % 26);
    return text;
}

// Several text nodes changed in random turns (so that the one changed is sometimes the text
// stored last and sometimes not), with pieces from one unit to beyond the arena's block:
// every node keeps exactly its own text.
TEST_F(DomTest, TextNodesKeepTheirDataUnderRandomChanges) {
    std::mt19937 random(20261210);
    std::vector<TdomText*> nodes;
    std::vector<DOMString> model;
    for (int i = 0; i < 6; ++i) {
        model.push_back(piece(random, random() % 5));
        nodes.push_back(text(model.back()));
        root->appendChild(nodes.back());
    }
    const std::size_t sizes[] = {1, 3, 40, 1000, 40000};
    for (int step = 0; step < 600; ++step) {
        const std::size_t i = random() % nodes.size();
        const DOMString more = piece(random, sizes[random() % 5] / (step % 7 == 0 ? 1 : 8) + 1);
        const int length = static_cast<int>(model[i].size());
        const int offset = length == 0 ? 0 : static_cast<int>(random() % (length + 1));
        switch (random() % 5) {
            case 0:
            case 1:
                nodes[i]->appendData(more);
                model[i] += more;
                break;
            case 2:
                nodes[i]->replaceData(offset, 3, more);
                model[i].replace(offset, 3, more);
                break;
            case 3:
                nodes[i]->deleteData(offset, 5);
                model[i].erase(offset, 5);
                break;
            default:
                nodes[i]->data(more.substr(0, more.size() / 2));
                model[i] = more.substr(0, more.size() / 2);
        }
        // Keep the texts from growing without end.
        if (model[i].size() > 200000) {
            nodes[i]->data(u"");
            model[i].clear();
        }
        for (std::size_t n = 0; n < nodes.size(); ++n) {
            ASSERT_EQ(nodes[n]->data(), model[n]) << "node " << n << " at step " << step;
            ASSERT_EQ(nodes[n]->length(), static_cast<int>(model[n].size()));
        }
    }
}

// A run of text and character references (the parser's appends) makes one node with the
// whole text, however long the run.
TEST_F(DomTest, ParsedRunOfReferencesIsOneTextNode) {
    std::string xml = "<r>";
    DOMString expected;
    for (int i = 0; i < 50000; ++i) {
        xml += "ab&#67;";
        expected += u"abC";
    }
    xml += "</r>";
    TXmlToDomParser parser;
    parser.setDOMImpl(&impl);
    TdomDocument* parsed = parser.parseString(xml);
    ASSERT_NE(parsed, nullptr);
    TdomNode* run = parsed->documentElement()->firstChild();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->nextSibling(), nullptr);
    EXPECT_EQ(run->nodeValue(), expected);
}

// An arena that grows past its heap blocks into bulk memory keeps every text, short and
// long, stored and grown, and starts over after a release.
TEST(TextArena, KeepsEveryTextWhileGrowingIntoBulkMemory) {
    TdomTextArena arena;
    std::mt19937 random(20261211);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::u16string_view> stored;
        std::vector<DOMString> model;
        // About 4 Mi units, twice the heap's share, with a text longer than a block now
        // and then and texts that grow where they were stored.
        while (stored.size() < 3000) {
            model.push_back(piece(random, stored.size() % 500 == 0 ? 70000 : random() % 1500));
            const char16_t* at = arena.store(model.back());
            std::u16string_view text(at, model.back().size());
            if (random() % 4 == 0) {
                const DOMString more = piece(random, random() % 100);
                text = {arena.append(text, more), text.size() + more.size()};
                model.back() += more;
            }
            stored.push_back(text);
        }
        for (std::size_t i = 0; i < stored.size(); ++i) ASSERT_EQ(stored[i], model[i]) << i;
        arena.releaseAll();
    }
}

TEST(TextArena, RefusesTextsBeyondItsLimit) {
    TdomTextArena arena;
    const char16_t* stored = arena.store(u"abc");
    EXPECT_EQ(std::u16string_view(stored, 3), u"abc");
    // Only the length is looked at before the refusal, so no such text need exist.
    const std::u16string_view huge(stored, TdomTextArena::kMaxLength + std::size_t{1});
    EXPECT_ERROR(arena.store(huge), EIndex_Size_Err, "Index size error.");
    EXPECT_ERROR(arena.append(std::u16string_view(stored, 3),
                              std::u16string_view(stored, TdomTextArena::kMaxLength - 2)),
                 EIndex_Size_Err, "Index size error.");
    EXPECT_EQ(std::u16string_view(stored, 3), u"abc");
}

}  // namespace
}  // namespace wispel
