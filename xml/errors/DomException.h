#pragma once
// The DOM's error family. Each class carries the message of its main raise site when
// constructed without one; a few raise sites give their own text (the implementation's
// "Document not found error." is an ENot_Found_Err).

#include <string>

#include "core/Exception.h"

namespace wispel {

WISPEL_DECLARE_EXCEPTION(EDomException, Exception);

#define WISPEL_DECLARE_DOM_ERROR(Name, DefaultMessage)                    \
    class Name : public EDomException {                                   \
    public:                                                               \
        using EDomException::EDomException;                               \
        Name() : EDomException(std::string(DefaultMessage)) {}            \
        const char* className() const noexcept override { return #Name; } \
    }

WISPEL_DECLARE_DOM_ERROR(EIndex_Size_Err, "Index size error.");
WISPEL_DECLARE_DOM_ERROR(EHierarchy_Request_Err, "Hierarchy request error.");
WISPEL_DECLARE_DOM_ERROR(EWrong_Document_Err, "Wrong document error.");
WISPEL_DECLARE_DOM_ERROR(EInvalid_Character_Err, "Invalid character error.");
WISPEL_DECLARE_DOM_ERROR(ENo_Modification_Allowed_Err, "No modification allowed error.");
WISPEL_DECLARE_DOM_ERROR(ENot_Found_Err, "Node not found error.");
WISPEL_DECLARE_DOM_ERROR(ENot_Supported_Err, "Not supported error.");
WISPEL_DECLARE_DOM_ERROR(EInuse_Attribute_Err, "Inuse attribute error.");
WISPEL_DECLARE_DOM_ERROR(EInvalid_State_Err, "Invalid state error.");
WISPEL_DECLARE_DOM_ERROR(ESyntax_Err, "Syntax error.");
WISPEL_DECLARE_DOM_ERROR(ENamespace_Err, "Namespace error.");
WISPEL_DECLARE_DOM_ERROR(
    EInvalid_Access_Err,
    "Illegal Parameter Error: Attempt to set the reserved Document Format \"default\".");
WISPEL_DECLARE_DOM_ERROR(EInuse_Node_Err, "Inuse node error.");
WISPEL_DECLARE_DOM_ERROR(EInuse_Content_Model_Err, "Inuse content model error.");
WISPEL_DECLARE_DOM_ERROR(EInvalid_Entity_Reference_Err, "Invalid entity reference error.");
WISPEL_DECLARE_DOM_ERROR(EUnknown_Document_Format_Err, "Unknown document format yet");

#undef WISPEL_DECLARE_DOM_ERROR

}  // namespace wispel
