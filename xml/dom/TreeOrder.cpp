#include "xml/dom/TreeOrder.h"

#include "xml/dom/Node.h"

namespace wispel {

TdomNode* nextInSubtree(const TdomNode* root, TdomNode* node, bool descend) {
    if (descend && node->hasChildNodes()) return node->firstChild();
    while (node != root && node != nullptr) {
        if (TdomNode* sibling = node->nextSibling()) return sibling;
        node = node->parentNode();
    }
    return nullptr;
}

}  // namespace wispel
