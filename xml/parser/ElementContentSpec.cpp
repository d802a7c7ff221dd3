#include "xml/parser/ElementContentSpec.h"

#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/reader/DeclarationText.h"

namespace wispel {

namespace {

[[noreturn]] void invalidDeclaration() {
    throw EParserInvalidElementDeclaration_Err("Invalid element declaration error.");
}

std::size_t nameEnd(std::u16string_view text, std::size_t pos) {
    while (pos < text.size() && isXmlNameChar(text[pos])) ++pos;
    return pos;
}

DOMString readName(std::u16string_view text, std::size_t& pos) {
    const std::size_t end = nameEnd(text, pos);
    const std::u16string_view name = text.substr(pos, end - pos);
    if (!validName(name)) invalidDeclaration();
    pos = end;
    return DOMString(name);
}

// "(#PCDATA)", "(#PCDATA)*" or "(#PCDATA|a|b)*", white space allowed between the tokens.
void readMixed(std::u16string_view text, TContentSpec& spec) {
    spec.kind = TdomCMContentType::ctMixed;
    std::size_t pos = 0;
    if (text.empty() || text[pos] != u'(') invalidDeclaration();
    ++pos;
    skipBlank(text, pos);
    if (text.substr(pos, 7) != u"#PCDATA") invalidDeclaration();
    pos += 7;
    skipBlank(text, pos);
    while (pos < text.size() && text[pos] == u'|') {
        ++pos;
        skipBlank(text, pos);
        spec.mixedNames.push_back(readName(text, pos));
        skipBlank(text, pos);
    }
    if (pos >= text.size() || text[pos] != u')') invalidDeclaration();
    ++pos;
    const std::u16string_view tail = text.substr(pos);
    const bool starred = tail == u"*";
    if (!starred && !(tail.empty() && spec.mixedNames.empty())) invalidDeclaration();
}

bool isFrequency(char16_t unit) {
    return unit == u'?' || unit == u'*' || unit == u'+';
}

void readFrequency(std::u16string_view text, std::size_t& pos, TdomCMParticle& particle) {
    if (pos < text.size() && isFrequency(text[pos])) particle.frequency = text[pos++];
}

// Groups are read with an explicit stack of open group indexes.
void readElementContent(std::u16string_view text, TContentSpec& spec) {
    spec.kind = TdomCMContentType::ctElements;
    std::vector<TdomCMParticle>& particles = spec.particles;
    std::vector<int> open;
    std::size_t pos = 0;
    auto openGroup = [&](int parent) {
        TdomCMParticle group;
        group.kind = TdomCMParticleKind::pkSequence;  // until a "|" says otherwise
        group.parent = parent;
        particles.push_back(std::move(group));
        const int index = static_cast<int>(particles.size()) - 1;
        if (parent >= 0) particles[parent].children.push_back(index);
        open.push_back(index);
        ++pos;
    };
    if (text.empty() || text[0] != u'(') invalidDeclaration();
    openGroup(-1);
    bool separatorSeen = false;  // of the innermost open group
    while (!open.empty()) {
        skipBlank(text, pos);
        if (pos >= text.size()) invalidDeclaration();
        const int group = open.back();
        if (text[pos] == u'(') {
            openGroup(group);
            separatorSeen = false;
            continue;
        }
        TdomCMParticle member;
        member.parent = group;
        member.name = readName(text, pos);
        readFrequency(text, pos, member);
        particles.push_back(std::move(member));
        particles[group].children.push_back(static_cast<int>(particles.size()) - 1);
        // After a member: a separator, or ")" closing one or more groups.
        for (;;) {
            skipBlank(text, pos);
            if (pos >= text.size()) invalidDeclaration();
            const int current = open.back();
            const char16_t unit = text[pos];
            if (unit == u',' || unit == u'|') {
                const TdomCMParticleKind kind =
                    unit == u',' ? TdomCMParticleKind::pkSequence : TdomCMParticleKind::pkChoice;
                if (separatorSeen && particles[current].kind != kind) invalidDeclaration();
                particles[current].kind = kind;
                separatorSeen = true;
                ++pos;
                break;
            }
            if (unit != u')') invalidDeclaration();
            ++pos;
            readFrequency(text, pos, particles[current]);
            open.pop_back();
            if (open.empty()) break;
            // The enclosing group had a separator before this group unless it was first.
            separatorSeen = particles[open.back()].children.size() > 1;
        }
    }
    if (pos != text.size()) invalidDeclaration();
}

}  // namespace

TContentSpec parseContentSpec(std::u16string_view text) {
    text = trimXmlBlanks(text);
    TContentSpec spec;
    if (text == u"EMPTY") {
        spec.kind = TdomCMContentType::ctEmpty;
    } else if (text == u"ANY") {
        spec.kind = TdomCMContentType::ctAny;
    } else if (text.find(u"#PCDATA") != std::u16string_view::npos) {
        readMixed(text, spec);
    } else {
        readElementContent(text, spec);
    }
    return spec;
}

}  // namespace wispel
