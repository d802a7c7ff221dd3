#pragma once
// The events between the DTD subset readers and the DTD builders. Every operation does
// nothing here except parameterEntityText, which raises ENot_Supported_Err. Each receives
// the driving parser and (except endDtd and startDtd) the input source's locator.

#include "core/TextConvert.h"

namespace wispel {

class TdomCustomParser;
class TdomStandardLocator;

class TdomCustomDTDHandler {
public:
    TdomCustomDTDHandler() = default;
    virtual ~TdomCustomDTDHandler() = default;
    TdomCustomDTDHandler(const TdomCustomDTDHandler&) = delete;
    TdomCustomDTDHandler& operator=(const TdomCustomDTDHandler&) = delete;

    // The text recorded for the parameter entity of that name.
    virtual DOMString parameterEntityText(const DOMString& name);
    // Attribute name, type keyword, enumeration (with its parentheses, or empty), default
    // declaration ("#REQUIRED", "#IMPLIED", "#FIXED" or empty), default value.
    virtual void attributeDefinition(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                     const DOMString&, const DOMString&, const DOMString&,
                                     const DOMString&) {}
    virtual void comment(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // External subsets only.
    virtual void conditionalSection(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                    const DOMString&) {}
    // Name, content model text.
    virtual void elementDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                    const DOMString&) {}
    virtual void endAttributeList(TdomCustomParser*, TdomStandardLocator*) {}
    virtual void endDtd(TdomCustomParser*) {}
    // Name, value literal (without quotes), public id, system id, notation name.
    virtual void entityDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                   const DOMString&, const DOMString&, const DOMString&,
                                   const DOMString&) {}
    // Name, public id, system id.
    virtual void notationDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                     const DOMString&, const DOMString&) {}
    // Name, value literal, public id, system id.
    virtual void parameterEntityDeclaration(TdomCustomParser*, TdomStandardLocator*,
                                            const DOMString&, const DOMString&, const DOMString&,
                                            const DOMString&) {}
    virtual void parameterEntityReference(TdomCustomParser*, TdomStandardLocator*,
                                          const DOMString&) {}
    // Target, data.
    virtual void processingInstruction(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                       const DOMString&) {}
    // Element name.
    virtual void startAttributeList(TdomCustomParser*, TdomStandardLocator*, const DOMString&) {}
    // Public id and system id of the input source.
    virtual void startDtd(TdomCustomParser*, const DOMString&, const DOMString&) {}
    // External subsets only.
    virtual void textDeclaration(TdomCustomParser*, TdomStandardLocator*, const DOMString&,
                                 const DOMString&, const DOMString&) {}
};

}  // namespace wispel
