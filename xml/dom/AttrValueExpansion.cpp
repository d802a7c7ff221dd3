#include "xml/dom/AttrValueExpansion.h"

#include <algorithm>
#include <vector>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

void TAttrValueExpansion::appendBounded(std::u16string_view text, DOMString& out) {
    const std::size_t room = std::min(text.size(), produceLeft_);
    out.append(text.substr(0, room));
    produceLeft_ -= room;
}

// Once reading runs out nothing more is produced either.
bool TAttrValueExpansion::chargeReading(std::size_t units) {
    if (units > readLeft_) {
        readLeft_ = produceLeft_ = 0;
        return false;
    }
    readLeft_ -= units;
    return true;
}

void TAttrValueExpansion::appendEntity(const DOMString& name, const DOMString& text,
                                       DOMString& out) {
    // The one unit more makes even an empty text cost something.
    if (produceLeft_ == 0 || !chargeReading(text.size() + 1)) {
        out.append(u"&").append(name).append(u";");
        return;
    }
    std::vector<std::u16string_view> stack{text};
    while (!stack.empty() && produceLeft_ > 0) {
        std::u16string_view& rest = stack.back();
        const std::size_t amp = rest.find(u'&');
        appendBounded(rest.substr(0, amp), out);
        if (amp == std::u16string_view::npos) {
            stack.pop_back();
            continue;
        }
        const std::size_t semicolon = rest.find(u';', amp);
        if (semicolon == std::u16string_view::npos) {
            appendBounded(rest.substr(amp), out);
            stack.pop_back();
            continue;
        }
        const std::u16string_view reference = rest.substr(amp + 1, semicolon - amp - 1);
        rest.remove_prefix(semicolon + 1);  // `rest` may not be used once the stack grows
        nestedReference(reference, out, stack);
    }
}

const TdomCMEntity* TAttrValueExpansion::findEntity(std::u16string_view name) {
    if (cm_ == nullptr) return nullptr;
    if (auto it = found_.find(name); it != found_.end()) return it->second;
    const TdomCMEntity* entity = cm_->entities.find(DOMString(name));
    // The key must outlive the map: the name inside the entity's own record does.
    if (entity != nullptr) found_.emplace(entity->name, entity);
    return entity;
}

bool TAttrValueExpansion::nestedReference(std::u16string_view name, DOMString& out,
                                          std::vector<std::u16string_view>& stack) {
    DOMString written = u"&";
    written.append(name).append(u";");
    if (name.starts_with(u"#")) {
        try {
            appendBounded(validCharRef(written), out);
        } catch (const EConvertError&) {
            appendBounded(written, out);
        }
        return false;
    }
    if (const std::u16string_view predefined = predefinedEntityText(name); !predefined.empty()) {
        appendBounded(predefined, out);
        return false;
    }
    const TdomCMEntity* entity = findEntity(name);
    // Each reference costs something of its own, so that entities that multiply into
    // nothing still pay for every step.
    if (entity == nullptr || stack.size() >= kMaxNesting ||
        !chargeReading(entity->replacementText.size() + kReferenceCost)) {
        appendBounded(written, out);
        return false;
    }
    stack.push_back(entity->replacementText);
    return true;
}

}  // namespace wispel
