#include "xml/parser/ContentModelPreparation.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/ParserErrors.h"
#include "xml/reader/DeclarationText.h"
#include "xml/parser/DtdTextBudget.h"
#include "xml/parser/EntityGraph.h"
#include "xml/parser/EntityValue.h"
#include "xml/parser/IntSubsetBuilder.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel {

namespace {

// An id is usable when it can stand between quotes of one kind or the other.
bool quotable(const DOMString& id) {
    return id.find(u'"') == DOMString::npos || id.find(u'\'') == DOMString::npos;
}

class TPreparation {
public:
    TPreparation(TXmlToDomParser* parser, TdomCMObject* cm, TdomCustomErrorHandler* handler,
                 const DOMString& documentSystemId)
        : parser_(parser),
          cm_(cm),
          handler_(handler),
          documentSystemId_(documentSystemId),
          budget_(parser != nullptr && parser->dtdTextBudget() != nullptr ? *parser->dtdTextBudget()
                                                                          : ownBudget_) {}

    void run();

private:
    struct TFrame {
        const TdomCMNode* part;
        int next = 0;
        DOMString parameterEntity;  // whose text the part was read from; empty for a subset
    };

    // Reports wait until the replay is over: when an entity turns out to have closed a
    // circle, only what was reported before that entity counts.
    struct TReport {
        std::unique_ptr<Exception> error;
        DOMString code;
        bool warning;
        std::size_t entitiesBefore;  // entities added when it was reported
    };
    template <class Report>
    void warn(const DOMString& code) {
        reports_.push_back({std::make_unique<Report>(), code, true, graph_.count()});
    }
    template <class Report>
    void error(const DOMString& code) {
        reports_.push_back({std::make_unique<Report>(), code, false, graph_.count()});
    }
    void flushReports(std::size_t entityLimit);
    void replayAll();

    void replay(const TdomCMNode* part);
    void replayRecord(const TdomCMNode* record, std::vector<TFrame>& stack);
    void pushParameterEntity(const DOMString& name, std::vector<TFrame>& stack);
    void addEntity(const DOMString& name, const DOMString& value, const DOMString& publicId,
                   const DOMString& systemId, const DOMString& notationName);
    void addParameterEntity(const TdomCMParameterEntityDeclaration& declaration);
    void addElementType(const TdomCMElementTypeDeclaration& declaration);
    void addAttributeList(const TdomCMAttrList& list);
    void addNotation(const TdomCMNotationDeclaration& declaration);
    void addPredefinedEntities();
    bool parsesAsContent(const DOMString& text);

    TXmlToDomParser* parser_;
    TdomCMObject* cm_;
    TdomCustomErrorHandler* handler_;
    DOMString documentSystemId_;
    TEntityGraph graph_;
    std::vector<TReport> reports_;
    // Parameter entities whose text is being replayed: one may not refer to itself.
    std::unordered_set<DOMString> activeParameterEntities_;
    std::vector<std::unique_ptr<TdomCMInternalObject>> replayedParts_;
    // Every text made while preparing counts against the declaration's one budget: the
    // parser's, or this preparation's own when it has none.
    TDtdTextBudget ownBudget_;
    TDtdTextBudget& budget_;
    // A private implementation and document to try replacement texts in.
    std::unique_ptr<TDomImplementation> scratchImpl_;
    TdomElement* scratchElement_ = nullptr;
};

void TPreparation::replayAll() {
    if (cm_->internalObject() != nullptr) replay(cm_->internalObject());
    if (cm_->externalObject() != nullptr) replay(cm_->externalObject());
}

void TPreparation::flushReports(std::size_t entityLimit) {
    for (const TReport& report : reports_) {
        if (report.entitiesBefore > entityLimit || handler_ == nullptr) continue;
        if (report.warning) {
            handler_->warning(parser_, nullptr, *report.error, report.code);
        } else {
            handler_->error(parser_, nullptr, *report.error, report.code);
        }
    }
    reports_.clear();
}

// An entity that closed a circle ends the preparation as if nothing after it had been
// read, also when something later failed first.
void TPreparation::run() {
    cm_->clearMaps();
    try {
        replayAll();
    } catch (const Exception&) {
        if (graph_.firstCircle() == TEntityGraph::npos) {
            flushReports(TEntityGraph::npos);
            throw;
        }
    }
    if (const std::size_t circle = graph_.firstCircle(); circle != TEntityGraph::npos) {
        flushReports(circle);
        throw EParserInvalidEntityDeclaration_Err("EParserInvalidEntityDeclaration_Err");
    }
    addPredefinedEntities();
    flushReports(TEntityGraph::npos);
}

// Declarations are replayed in document order; a parameter-entity reference replays the
// declarations of its text in its place, with an explicit stack instead of recursion.
void TPreparation::replay(const TdomCMNode* part) {
    std::vector<TFrame> stack{{part, 0, {}}};
    while (!stack.empty()) {
        TFrame& frame = stack.back();
        if (frame.next >= frame.part->childCount()) {
            activeParameterEntities_.erase(frame.parameterEntity);
            stack.pop_back();
            continue;
        }
        const TdomCMNode* record = frame.part->child(frame.next++);
        replayRecord(record, stack);
    }
}

void TPreparation::replayRecord(const TdomCMNode* record, std::vector<TFrame>& stack) {
    switch (record->kind()) {
        case TdomCMNodeKind::nkEntityDeclaration: {
            const auto& d = static_cast<const TdomCMEntityDeclaration&>(*record);
            return addEntity(d.name, d.valueLiteral, d.publicId, d.systemId, d.notationName);
        }
        case TdomCMNodeKind::nkParameterEntityDeclaration:
            return addParameterEntity(
                static_cast<const TdomCMParameterEntityDeclaration&>(*record));
        case TdomCMNodeKind::nkParameterEntityReference:
            return pushParameterEntity(
                static_cast<const TdomCMParameterEntityReference&>(*record).name, stack);
        case TdomCMNodeKind::nkElementTypeDeclaration:
            return addElementType(static_cast<const TdomCMElementTypeDeclaration&>(*record));
        case TdomCMNodeKind::nkAttrList:
            return addAttributeList(static_cast<const TdomCMAttrList&>(*record));
        case TdomCMNodeKind::nkNotationDeclaration:
            return addNotation(static_cast<const TdomCMNotationDeclaration&>(*record));
        default:
            return;  // comments and processing instructions
    }
}

void TPreparation::pushParameterEntity(const DOMString& name, std::vector<TFrame>& stack) {
    const TdomCMParameterEntity* entity = cm_->parameterEntities.find(name);
    if (entity == nullptr || entity->unusable) {
        throw EParserUnresolvable_Parameter_Entity_Reference_Err(
            "Unresolvable Parameter Entity Reference.");
    }
    const char* message = "Invalid entity name error.";
    if (activeParameterEntities_.count(name) != 0) throw EParserInvalidEntityName_Err(message);
    budget_.spend(entity->text.size());
    auto part = std::make_unique<TdomCMInternalObject>(entity->publicId, entity->systemId);
    // Only a text with a "%" can use the parameter entities known so far.
    const bool usesParameters = entity->text.find(u'%') != DOMString::npos;
    for (int i = 0; usesParameters && i < cm_->parameterEntities.count(); ++i) {
        const TdomCMParameterEntity* known = cm_->parameterEntities.item(i);
        budget_.spend(known->text.size());
        part->parameterEntityList.emplace_back(known->name, known->text);
    }
    try {
        TXmlToDomParser reader(nullptr);
        reader.setDOMImpl(parser_->DOMImpl());
        reader.setDtdTextBudget(&budget_);
        reader.parseInternalSubsetText(entity->text, entity->publicId, entity->systemId,
                                       part.get());
    } catch (const Exception&) {
        if (budget_.exhausted()) throw;  // the budget's own error, not a fault of this text
        throw EParserInvalidEntityName_Err(message);
    }
    stack.push_back({part.get(), 0, name});
    activeParameterEntities_.insert(name);
    replayedParts_.push_back(std::move(part));
}

bool TPreparation::parsesAsContent(const DOMString& text) {
    if (!scratchImpl_) {
        scratchImpl_ = std::make_unique<TDomImplementation>(nullptr);
        scratchElement_ = scratchImpl_->createDocument(u"entity", nullptr)->documentElement();
    }
    bool parsed = true;
    try {
        TXmlToDomParser content(nullptr);
        content.parseWideStringInto(text, {}, {}, scratchElement_);
    } catch (const Exception&) {
        parsed = false;
    }
    scratchElement_->clear();
    return parsed;
}

void TPreparation::addEntity(const DOMString& name, const DOMString& value,
                             const DOMString& publicId, const DOMString& systemId,
                             const DOMString& notationName) {
    DOMString text = value;
    const bool external = !publicId.empty() || !systemId.empty();
    if (external && notationName.empty() &&
        !loadExternalEntity(parser_, documentSystemId_, publicId, systemId, text)) {
        error<EParserExternal_Entity_Not_Found_Err>(name);
        return;
    }
    if (cm_->entities.find(name) != nullptr) {
        warn<EParserDouble_Entity_Decl_Warning>(name);
        return;
    }
    const char* message = "EParserInvalidEntityDeclaration_Err";
    const bool validIds = quotable(publicId) && validPubidLiteral(publicId) && quotable(systemId);
    if (!validName(name) || !validIds) throw EParserInvalidEntityDeclaration_Err(message);
    auto entity = std::make_unique<TdomCMEntity>();
    entity->name = name;
    entity->valueLiteral = value;
    entity->notationName = notationName;
    entity->publicId = publicId;
    entity->systemId = systemId;
    if (notationName.empty()) {
        entity->replacementText = resolveEntityValue(text, nullptr, message);
        budget_.spend(entity->replacementText.size());
        entity->unusable = !parsesAsContent(entity->replacementText);
    }
    std::vector<DOMString> references = entityReferenceNames(entity->replacementText);
    const bool unusable = entity->unusable;
    cm_->entities.add(name, std::move(entity));
    graph_.add(name, std::move(references), unusable);
    if (graph_.leadsToUnusable(name)) warn<EParserUnusable_Entity_Decl_Warning>(name);
}

void TPreparation::addParameterEntity(const TdomCMParameterEntityDeclaration& declaration) {
    const DOMString& name = declaration.name;
    DOMString text = declaration.valueLiteral;
    const bool external = !declaration.publicId.empty() || !declaration.systemId.empty();
    if (external && !loadExternalEntity(parser_, documentSystemId_, declaration.publicId,
                                        declaration.systemId, text)) {
        error<EParserExternal_Entity_Not_Found_Err>(name);
        return;
    }
    if (cm_->parameterEntities.find(name) != nullptr) {
        warn<EParserDouble_Parameter_Entity_Decl_Warning>(name);
        return;
    }
    auto entity = std::make_unique<TdomCMParameterEntity>();
    const TParameterTextLookup lookup = [&](const DOMString& reference) -> const DOMString* {
        const TdomCMParameterEntity* known = cm_->parameterEntities.find(reference);
        if (known == nullptr) {
            error<EParserMissing_Entity_Declaration_Err>(reference);
            entity->unusable = true;
            return nullptr;
        }
        if (known->unusable) entity->unusable = true;
        return &known->text;
    };
    const char* message = "Invalid entity declaration error.";
    if (!validName(name)) throw EParserInvalidEntityDeclaration_Err(message);
    entity->name = name;
    entity->valueLiteral = declaration.valueLiteral;
    entity->publicId = declaration.publicId;
    entity->systemId = declaration.systemId;
    entity->text = resolveEntityValue(text, &lookup, message);
    budget_.spend(entity->text.size());
    cm_->parameterEntities.add(name, std::move(entity));
}

void TPreparation::addElementType(const TdomCMElementTypeDeclaration& declaration) {
    if (cm_->elementTypes.find(declaration.name) != nullptr) {
        error<EParserDouble_Element_Type_Declaration_Err>(declaration.name);
        return;
    }
    auto type = std::make_unique<TdomCMElementType>();
    type->name = declaration.name;
    type->contentType = declaration.contentType;
    type->contentSpec = declaration.contentSpec;
    type->mixedNames = declaration.mixedNames;
    type->particles = declaration.particles;
    cm_->elementTypes.add(declaration.name, std::move(type));
}

void TPreparation::addAttributeList(const TdomCMAttrList& list) {
    for (int i = 0; i < list.childCount(); ++i) {
        const auto& d = static_cast<const TdomCMAttrDefinition&>(*list.child(i));
        if (d.defaultValue.find(u'<') != DOMString::npos) {
            throw EParserLtInAttributeValue_Err("< in default attribute value error");
        }
        auto definition = std::make_unique<TdomCMAttributeDefinition>();
        definition->elementName = list.elementName;
        definition->attributeName = d.attributeName;
        definition->attributeType = d.attributeType;
        definition->enumeration = d.enumeration;
        definition->defaultDeclaration = d.defaultDeclaration;
        definition->defaultValue = d.defaultValue;
        if (cm_->addAttributeDefinition(std::move(definition)) == nullptr) {
            warn<EParserDouble_AttDef_Warning>(d.attributeName);
        }
    }
}

void TPreparation::addNotation(const TdomCMNotationDeclaration& declaration) {
    if (cm_->notations.find(declaration.name) != nullptr) {
        error<EParserDuplicate_Notation_Decl_Err>(declaration.name);
        return;
    }
    auto notation = std::make_unique<TdomCMNotation>();
    notation->name = declaration.name;
    notation->publicId = declaration.publicId;
    notation->systemId = declaration.systemId;
    cm_->notations.add(declaration.name, std::move(notation));
}

// A replacement text that is, as a whole, a character reference to `character`.
bool isReferenceTo(const DOMString& text, char16_t character) {
    if (text.size() < 4 || text[0] != u'&' || text[1] != u'#' || text.back() != u';') {
        return false;
    }
    try {
        return validCharRef(text) == DOMString(1, character);
    } catch (const EConvertError&) {
        return false;
    }
}

void TPreparation::addPredefinedEntities() {
    struct TPredefined {
        const char16_t* name;
        const char16_t* literal;
        char16_t character;
        bool asReference;  // the replacement text must be a character reference
    };
    static const TPredefined predefined[] = {
        {u"lt", u"&#38;#60;", u'<', true},  {u"gt", u"&#62;", u'>', false},
        {u"amp", u"&#38;#38;", u'&', true}, {u"apos", u"&#39;", u'\'', false},
        {u"quot", u"&#34;", u'"', false},
    };
    for (const TPredefined& p : predefined) {
        const TdomCMEntity* entity = cm_->entities.find(p.name);
        if (entity == nullptr) {
            addEntity(p.name, p.literal, {}, {}, {});
            continue;
        }
        const bool right = p.asReference ? isReferenceTo(entity->replacementText, p.character)
                                         : entity->replacementText == DOMString(1, p.character);
        if (!right) error<EParserWrong_Declaration_Of_Predefined_Entity_Err>(p.name);
    }
}

}  // namespace

void prepareContentModel(TXmlToDomParser* parser, TdomCMObject* cm,
                         TdomCustomErrorHandler* errorHandler, const DOMString& documentSystemId) {
    TPreparation(parser, cm, errorHandler, documentSystemId).run();
}

}  // namespace wispel
