#pragma once
// The DOM's error family. Each class carries the message of its main raise site when
// constructed without one; a few raise sites give their own text (the implementation's
// "Document not found error." is an ENot_Found_Err).

#include <string>

#include "core/Exception.h"

namespace wispel {

WISPEL_DECLARE_EXCEPTION(EDomException, Exception);

// Every class of the family with its default message, in one list that the declarations
// below and the tests both walk.
#define WISPEL_DOM_ERRORS(X)                                                            \
    X(EIndex_Size_Err, "Index size error.")                                             \
    X(EHierarchy_Request_Err, "Hierarchy request error.")                               \
    X(EWrong_Document_Err, "Wrong document error.")                                     \
    X(EInvalid_Character_Err, "Invalid character error.")                              \
    X(ENo_Modification_Allowed_Err, "No modification allowed error.")                   \
    X(ENot_Found_Err, "Node not found error.")                                          \
    X(ENot_Supported_Err, "Not supported error.")                                       \
    X(EInuse_Attribute_Err, "Inuse attribute error.")                                   \
    X(EInvalid_State_Err, "Invalid state error.")                                       \
    X(ESyntax_Err, "Syntax error.")                                                     \
    X(ENamespace_Err, "Namespace error.")                                               \
    X(EInvalid_Access_Err,                                                              \
      "Illegal Parameter Error: Attempt to set the reserved Document Format \"default\".") \
    X(EInuse_Node_Err, "Inuse node error.")                                             \
    X(EInuse_Content_Model_Err, "Inuse content model error.")                           \
    X(EInvalid_Entity_Reference_Err, "Invalid entity reference error.")                 \
    X(EUnknown_Document_Format_Err, "Unknown document format yet")

#define WISPEL_DECLARE_DOM_ERROR(Name, DefaultMessage) \
    WISPEL_DECLARE_ERROR(Name, EDomException, DefaultMessage);
WISPEL_DOM_ERRORS(WISPEL_DECLARE_DOM_ERROR)
#undef WISPEL_DECLARE_DOM_ERROR

}  // namespace wispel
