// The libxml2 peer of the whole-process benchmark: reads a feed with xmlReadFile and writes
// the title, link and description of every item as `wispel-fetch --tsv --file` does.

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/process/TsvLine.h"

namespace {

std::string contentOf(xmlNode* node) {
    xmlChar* text = xmlNodeGetContent(node);
    std::string value = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return value;
}

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FEED\n", argv[0]);
        return 2;
    }
    xmlDoc* doc = xmlReadFile(argv[1], nullptr, XML_PARSE_NONET);
    if (!doc) return 1;
    wispel::bench::TsvWriter out(argv[1]);
    std::vector<xmlNode*> stack{xmlDocGetRootElement(doc)};
    while (!stack.empty()) {
        xmlNode* node = stack.back();
        stack.pop_back();
        if (named(node, "item")) {
            std::string fields[3];
            const char* names[3] = {"title", "link", "description"};
            for (xmlNode* field = node->children; field; field = field->next) {
                for (int i = 0; i < 3; ++i) {
                    if (named(field, names[i]) && fields[i].empty()) fields[i] = contentOf(field);
                }
            }
            out.item(fields[0], fields[1], fields[2]);
            continue;
        }
        // Children in document order: pushed last to first.
        for (xmlNode* child = node->last; child; child = child->prev) {
            if (child->type == XML_ELEMENT_NODE) stack.push_back(child);
        }
    }
    xmlFreeDoc(doc);
    xmlCleanupParser();
    return 0;
}
