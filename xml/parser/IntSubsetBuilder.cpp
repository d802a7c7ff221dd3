#include "xml/parser/IntSubsetBuilder.h"

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/XmlInputSource.h"
#include "xml/reader/DeclarationText.h"
#include "xml/parser/ElementContentSpec.h"
#include "xml/parser/DtdTextBudget.h"
#include "xml/parser/EntityValue.h"
#include "xml/parser/XmlToDomParser.h"

namespace wispel {

template <class Error>
TdomCMNode* TdomStandardIntSubsetBuilder::append(std::unique_ptr<TdomCMNode> record,
                                                 const char* message) {
    if (openNode_ == nullptr) throw Error(message);
    return openNode_->appendChild(std::move(record));
}

DOMString TdomStandardIntSubsetBuilder::parameterEntityText(const DOMString& name) {
    const DOMString* text = findParameterText(name);
    if (text == nullptr) {
        throw EParserInvalidEntityDeclaration_Err("InvalidEntityDeclaration_Err");
    }
    return *text;
}

const DOMString* TdomStandardIntSubsetBuilder::findParameterText(const DOMString& name) const {
    if (targetNode_ == nullptr) return nullptr;
    const auto& list = targetNode_->parameterEntityList;
    if (indexedTarget_ != targetNode_ || indexedEntries_ > list.size()) {
        parameterIndex_.clear();
        indexedEntries_ = 0;
        indexedTarget_ = targetNode_;
    }
    for (; indexedEntries_ < list.size(); ++indexedEntries_) {
        parameterIndex_.emplace(list[indexedEntries_].first, indexedEntries_);
    }
    auto found = parameterIndex_.find(name);
    return found == parameterIndex_.end() ? nullptr : &list[found->second].second;
}

void TdomStandardIntSubsetBuilder::startDtd(TdomCustomParser*, const DOMString&, const DOMString&) {
    openNode_ = targetNode_;
}

void TdomStandardIntSubsetBuilder::endDtd(TdomCustomParser*) {
    if (openNode_ == nullptr) return;
    if (openNode_ != targetNode_) {
        throw EParserInvalidAttributeDeclaration_Err("Invalid Attribute Declaration error.");
    }
}

void TdomStandardIntSubsetBuilder::comment(TdomCustomParser*, TdomStandardLocator*,
                                           const DOMString& data) {
    if (openNode_ == nullptr) return;
    const bool valid = data.find(u"--") == DOMString::npos && (data.empty() || data.back() != u'-');
    if (!valid) throw EParserInvalidCharacter_Err("Invalid character error.");
    auto record = std::make_unique<TdomCMComment>();
    record->data = data;
    append<EParserInvalidCharacter_Err>(std::move(record), "Invalid character error.");
}

void TdomStandardIntSubsetBuilder::processingInstruction(TdomCustomParser*, TdomStandardLocator*,
                                                         const DOMString& target,
                                                         const DOMString& data) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid processing instruction error.";
    if (!validPITarget(target)) throw EParserInvalidProcessingInstruction_Err(message);
    auto record = std::make_unique<TdomCMProcessingInstruction>();
    record->target = target;
    record->data = data;
    append<EParserInvalidProcessingInstruction_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::elementDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                                      const DOMString& name,
                                                      const DOMString& spec) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid element declaration error.";
    if (!validName(name)) throw EParserInvalidElementDeclaration_Err(message);
    TContentSpec content = parseContentSpec(spec);
    auto record = std::make_unique<TdomCMElementTypeDeclaration>();
    record->name = name;
    record->contentType = content.kind;
    record->contentSpec.assign(trimXmlBlanks(spec));
    record->mixedNames = std::move(content.mixedNames);
    record->particles = std::move(content.particles);
    append<EParserInvalidElementDeclaration_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::startAttributeList(TdomCustomParser*, TdomStandardLocator*,
                                                      const DOMString& elementName) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid attribute declaration error.";
    if (!validName(elementName)) throw EParserInvalidAttributeDeclaration_Err(message);
    auto record = std::make_unique<TdomCMAttrList>();
    record->elementName = elementName;
    openNode_ = append<EParserInvalidAttributeDeclaration_Err>(std::move(record), message);
}

namespace {

// "(a|b|c)" into its names; none may be empty or invalid.
std::vector<DOMString> splitEnumeration(const DOMString& enumeration) {
    const char* message = "Invalid attribute declaration error.";
    std::vector<DOMString> names;
    if (enumeration.empty()) return names;
    if (enumeration.size() < 2 || enumeration.front() != u'(' || enumeration.back() != u')') {
        throw EParserInvalidAttributeDeclaration_Err(message);
    }
    const std::u16string_view inner =
        std::u16string_view(enumeration).substr(1, enumeration.size() - 2);
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = inner.find(u'|', start);
        const std::u16string_view name = trimXmlBlanks(inner.substr(start, bar - start));
        if (!validName(name)) throw EParserInvalidAttributeDeclaration_Err(message);
        names.emplace_back(name);
        if (bar == std::u16string_view::npos) break;
        start = bar + 1;
    }
    return names;
}

}  // namespace

void TdomStandardIntSubsetBuilder::attributeDefinition(TdomCustomParser*, TdomStandardLocator*,
                                                       const DOMString& name, const DOMString& type,
                                                       const DOMString& enumeration,
                                                       const DOMString& defaultDeclaration,
                                                       const DOMString& defaultValue) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid attribute declaration error.";
    if (openNode_->kind() != TdomCMNodeKind::nkAttrList || !validName(name)) {
        throw EParserInvalidAttributeDeclaration_Err(message);
    }
    auto record = std::make_unique<TdomCMAttrDefinition>();
    record->attributeName = name;
    record->attributeType = type;
    record->enumeration = splitEnumeration(enumeration);
    record->defaultDeclaration = defaultDeclaration;
    record->defaultValue = defaultValue;
    append<EParserInvalidAttributeDeclaration_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::endAttributeList(TdomCustomParser*, TdomStandardLocator*) {
    if (openNode_ == nullptr) return;
    if (openNode_->kind() != TdomCMNodeKind::nkAttrList) {
        throw EParserInvalidAttributeDeclaration_Err("Invalid attribute declaration error.");
    }
    openNode_ = openNode_->parent();
}

void TdomStandardIntSubsetBuilder::entityDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                                     const DOMString& name, const DOMString& value,
                                                     const DOMString& publicId,
                                                     const DOMString& systemId,
                                                     const DOMString& notationName) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid entity declaration error.";
    if (!validEntityValue(value)) throw EParserInvalidEntityDeclaration_Err(message);
    auto record = std::make_unique<TdomCMEntityDeclaration>();
    record->name = name;
    record->valueLiteral = value;
    record->publicId = publicId;
    record->systemId = systemId;
    record->notationName = notationName;
    append<EParserInvalidEntityDeclaration_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::parameterEntityDeclaration(
    TdomCustomParser* parser, TdomStandardLocator*, const DOMString& name, const DOMString& value,
    const DOMString& publicId, const DOMString& systemId) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid entity declaration error.";
    if (!validEntityValue(value)) throw EParserInvalidEntityDeclaration_Err(message);
    auto record = std::make_unique<TdomCMParameterEntityDeclaration>();
    record->name = name;
    record->valueLiteral = value;
    record->publicId = publicId;
    record->systemId = systemId;
    append<EParserInvalidEntityDeclaration_Err>(std::move(record), message);

    if (publicId.empty() && systemId.empty()) {
        const TParameterTextLookup lookup = [this](const DOMString& reference) {
            const DOMString* text = findParameterText(reference);
            if (text == nullptr) {
                throw EParserInvalidEntityDeclaration_Err("InvalidEntityDeclaration_Err");
            }
            return text;
        };
        DOMString text = resolveEntityValue(value, &lookup, "InvalidEntityDeclaration_Err");
        auto* xmlParser = static_cast<TXmlToDomParser*>(parser);
        if (TDtdTextBudget* budget = xmlParser ? xmlParser->dtdTextBudget() : nullptr) {
            budget->spend(text.size());
        }
        targetNode_->parameterEntityList.emplace_back(name, std::move(text));
        return;
    }
    DOMString text;
    const bool found = loadExternalEntity(static_cast<TXmlToDomParser*>(parser),
                                          targetNode_->systemId(), publicId, systemId, text);
    targetNode_->parameterEntityList.emplace_back(name, std::move(text));
    if (!found) throw EParserExternal_Entity_Not_Found_Err("External_Entity_Not_Found_Err");
}

void TdomStandardIntSubsetBuilder::notationDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                                       const DOMString& name,
                                                       const DOMString& publicId,
                                                       const DOMString& systemId) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid notation declaration error.";
    if (!validName(name)) throw EParserInvalidNotationDeclaration_Err(message);
    auto record = std::make_unique<TdomCMNotationDeclaration>();
    record->name = name;
    record->publicId = publicId;
    record->systemId = systemId;
    append<EParserInvalidNotationDeclaration_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::parameterEntityReference(TdomCustomParser*, TdomStandardLocator*,
                                                            const DOMString& name) {
    if (openNode_ == nullptr) return;
    const char* message = "Invalid entity name error.";
    if (!validName(name)) throw EParserInvalidEntityName_Err(message);
    auto record = std::make_unique<TdomCMParameterEntityReference>();
    record->name = name;
    append<EParserInvalidEntityName_Err>(std::move(record), message);
}

void TdomStandardIntSubsetBuilder::conditionalSection(TdomCustomParser*, TdomStandardLocator*,
                                                      const DOMString&, const DOMString&) {
    if (openNode_ == nullptr) return;
    throw EParserInvalidConditionalSection_Err("Invalid conditional section error.");
}

void TdomStandardIntSubsetBuilder::textDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                                   const DOMString&, const DOMString&,
                                                   const DOMString&) {
    if (openNode_ == nullptr) return;
    throw EParserInvalidTextDeclaration_Err("Invalid text-declaration error.");
}

bool loadExternalEntity(TXmlToDomParser* parser, const DOMString& parentSystemId,
                        DOMString publicId, DOMString systemId, DOMString& text) {
    TDomImplementation* impl = parser ? parser->DOMImpl() : nullptr;
    if (impl == nullptr || !impl->onExternalParsedEntity.assigned()) return false;
    std::unique_ptr<TStream> stream;
    TXmlParserAction action = actionRetry;
    while (action == actionRetry) {
        action = actionNotFound;
        stream.reset();
        impl->onExternalParsedEntity(impl, parentSystemId, publicId, systemId, stream, action);
    }
    if (action == actionNotFound) return false;
    if (stream) {
        TXmlInputSource source(stream.get(), publicId, systemId);
        text = source.readAll();
    }
    return true;
}

}  // namespace wispel
