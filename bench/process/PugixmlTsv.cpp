// The pugixml peer of the whole-process benchmark: reads a feed with load_file and writes the
// title, link and description of every item as `wispel-fetch --tsv --file` does.

#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/process/TsvLine.h"

namespace {

// The text of every text and CDATA node below `node`, in document order.
void appendContent(pugi::xml_node node, std::string& out) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            out += child.value();
        } else if (child.type() == pugi::node_element) {
            appendContent(child, out);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FEED\n", argv[0]);
        return 2;
    }
    pugi::xml_document doc;
    if (!doc.load_file(argv[1])) return 1;
    wispel::bench::TsvWriter out(argv[1]);
    std::vector<pugi::xml_node> stack{doc.document_element()};
    while (!stack.empty()) {
        pugi::xml_node node = stack.back();
        stack.pop_back();
        if (std::strcmp(node.name(), "item") == 0) {
            std::string fields[3];
            const char* names[3] = {"title", "link", "description"};
            for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
                for (int i = 0; i < 3; ++i) {
                    if (std::strcmp(field.name(), names[i]) == 0 && fields[i].empty()) {
                        appendContent(field, fields[i]);
                    }
                }
            }
            out.item(fields[0], fields[1], fields[2]);
            continue;
        }
        for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
            if (child.type() == pugi::node_element) stack.push_back(child);
        }
    }
    return 0;
}
