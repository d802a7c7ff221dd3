#pragma once
// The XML parser's error family. Every error of the reader, the builder, the DTD steps and
// the DOM's validity checks is a class here, so that the error handler can tell a
// well-formedness error (EParserFatalError), a validity error (EParserError) and a warning
// (EParserWarning) apart by the family alone.
//
// Each class can be raised with any message (several raise sites use their own text);
// constructed without one it carries the message its main raise site uses.

#include <string>

#include "core/Exception.h"

namespace wispel {

WISPEL_DECLARE_ERROR(EParserException, Exception, "Parser error.");
WISPEL_DECLARE_ERROR(EInternalParserException, EParserException, "Internal parser exception.");
WISPEL_DECLARE_ERROR(EParserFatalError, EParserException, "EParserFatalError: Fatal Error.");
WISPEL_DECLARE_ERROR(EParserError, EParserException, "EParserError: Error.");
WISPEL_DECLARE_ERROR(EParserWarning, EParserException, "EParserWarning: Warning.");

// A document past the bounds of xml/input/DocumentBounds.h. It need not be malformed, only
// too large to hold, so it is no well-formedness error: the reader does not take it as one,
// and it ends the parse with its own message, which names the bound.
WISPEL_DECLARE_EXCEPTION(EParserDocumentTooLarge, EParserException);

// Well-formedness errors.
WISPEL_DECLARE_ERROR(EParserMissingWhiteSpace_Err, EParserFatalError, "Missing white-space error.");
WISPEL_DECLARE_ERROR(EParserMissingQuotationMark_Err, EParserFatalError,
                     "Missing quotation mark error.");
WISPEL_DECLARE_ERROR(EParserMissingEqualitySign_Err, EParserFatalError,
                     "Missing equality sign error.");
WISPEL_DECLARE_ERROR(EParserDoubleEqualitySign_Err, EParserFatalError,
                     "Double equality sign error.");
WISPEL_DECLARE_ERROR(EParserInvalidElementName_Err, EParserFatalError,
                     "Invalid element name error.");
WISPEL_DECLARE_ERROR(EParserInvalidAttributeName_Err, EParserFatalError,
                     "Invalid attribute name error.");
WISPEL_DECLARE_ERROR(EParserInvalidAttributeValue_Err, EParserFatalError,
                     "Invalid attribute value error.");
WISPEL_DECLARE_ERROR(EParserDoubleAttributeName_Err, EParserFatalError,
                     "Double attribute name error.");
WISPEL_DECLARE_ERROR(EParserInvalidEntityName_Err, EParserFatalError, "Invalid entity name error.");
WISPEL_DECLARE_ERROR(EParserInvalidProcessingInstruction_Err, EParserFatalError,
                     "Invalid processing instruction error.");
// Also raised with "Character(s) before xml-declaration error.".
WISPEL_DECLARE_ERROR(EParserInvalidXmlDeclaration_Err, EParserFatalError,
                     "Invalid xml-declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidCharRef_Err, EParserFatalError,
                     "Invalid character reference error.");
WISPEL_DECLARE_ERROR(EParserMissingStartTag_Err, EParserFatalError, "Missing start tag error.");
WISPEL_DECLARE_ERROR(EParserMissingEndTag_Err, EParserFatalError, "Missing end tag error.");
WISPEL_DECLARE_ERROR(EParserInvalidCharacter_Err, EParserFatalError, "Invalid character error.");
WISPEL_DECLARE_ERROR(EParserNotInRoot_Err, EParserFatalError, "Not in root error.");
WISPEL_DECLARE_ERROR(EParserDoubleRootElement_Err, EParserFatalError, "Double root element error.");
WISPEL_DECLARE_ERROR(EParserRootNotFound_Err, EParserFatalError, "Root not found error.");
// Also raised with "Wrong order declaration error.".
WISPEL_DECLARE_ERROR(EParserWrongOrder_Err, EParserFatalError, "Wrong order error.");
WISPEL_DECLARE_ERROR(EParserInvalidDoctype_Err, EParserFatalError,
                     "Invalid doctype declaration error.");
WISPEL_DECLARE_ERROR(EParserLtInAttributeValue_Err, EParserFatalError,
                     "< in default attribute value error");
WISPEL_DECLARE_ERROR(EParserAttributeValueRefersToExternalEntity_Err, EParserFatalError,
                     "AttributeValueRefersToExternalEntity_Err");
WISPEL_DECLARE_ERROR(EParserReferenceToUnparsedEntity_Err, EParserFatalError,
                     "ReferenceToUnparsedEntity_Err");
WISPEL_DECLARE_ERROR(EParserNoProperMarkupReferenced_Err, EParserFatalError,
                     "NoProperMarkupReferenced_Err");

// Errors in a document type declaration: all of them are doctype errors.
WISPEL_DECLARE_ERROR(EParserDoubleDoctype_Err, EParserInvalidDoctype_Err,
                     "Double doctype declaration error.");
WISPEL_DECLARE_ERROR(EParserUnknownDeclarationType_Err, EParserInvalidDoctype_Err,
                     "Invalid declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidEntityDeclaration_Err, EParserInvalidDoctype_Err,
                     "Invalid entity declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidElementDeclaration_Err, EParserInvalidDoctype_Err,
                     "Invalid element declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidAttributeDeclaration_Err, EParserInvalidDoctype_Err,
                     "Invalid attribute declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidNotationDeclaration_Err, EParserInvalidDoctype_Err,
                     "Invalid notation declaration error.");
WISPEL_DECLARE_ERROR(EParserInvalidConditionalSection_Err, EParserInvalidDoctype_Err,
                     "Invalid conditional section error.");
WISPEL_DECLARE_ERROR(EParserInvalidTextDeclaration_Err, EParserFatalError,
                     "Invalid text-declaration error.");

// Validity errors: reported and recorded, they do not stop a parse by themselves.
WISPEL_DECLARE_ERROR(EParserMissing_Entity_Declaration_Err, EParserError,
                     "Missing_Entity_Declaration_Err");
WISPEL_DECLARE_ERROR(EParserDouble_Element_Type_Declaration_Err, EParserError,
                     "Double_Element_Type_Declaration_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_Name_In_Mixed_Content_Err, EParserError,
                     "Duplicate_Name_In_Mixed_Content_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_ID_On_Element_Type_Err, EParserError,
                     "Duplicate_ID_On_Element_Type_Err");
WISPEL_DECLARE_ERROR(EParserUndeclared_Notation_Name_Err, EParserError,
                     "Undeclared_Notation_Name_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_Notation_On_Element_Type_Err, EParserError,
                     "Duplicate_Notation_On_Element_Type_Err");
WISPEL_DECLARE_ERROR(EParserNotation_On_Empty_Element_Err, EParserError,
                     "Notation_On_Empty_Element_Err");
WISPEL_DECLARE_ERROR(EParserAttribute_Type_Mismatch_Err, EParserError,
                     "Attribute_Type_Mismatch_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_Tokens_Err, EParserError, "Duplicate_Tokens_Err");
WISPEL_DECLARE_ERROR(EParserId_Neither_Implied_Nor_Required_Err, EParserError,
                     "Id_Neither_Implied_Nor_Required_Err");
WISPEL_DECLARE_ERROR(EParserWrong_Root_Element_Type_Err, EParserError,
                     "Wrong_Root_Element_Type_Err");
WISPEL_DECLARE_ERROR(EParserElement_Type_Declaration_Not_Found_Err, EParserError,
                     "Element_Type_Declaration_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserElement_Declared_Empty_Has_Content_Err, EParserError,
                     "Element_Declared_Empty_Has_Content_Err");
WISPEL_DECLARE_ERROR(EParserElement_With_Illegal_Mixed_Content_Err, EParserError,
                     "Element_With_Illegal_Mixed_Content_Err");
WISPEL_DECLARE_ERROR(EParserElement_With_Illegal_Element_Content_Err, EParserError,
                     "Element_With_Illegal_Element_Content_Err");
WISPEL_DECLARE_ERROR(EParserNondeterministic_Element_Content_Model_Err, EParserError,
                     "Nondeterministic_Element_Content_Model_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_Notation_Decl_Err, EParserError,
                     "Duplicate_Notation_Decl_Err");
WISPEL_DECLARE_ERROR(EParserAttribute_Definition_Not_Found_Err, EParserError,
                     "Attribute_Definition_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserRequired_Attribute_Not_Found_Err, EParserError,
                     "Required_Attribute_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserFixed_Attribute_Mismatch_Err, EParserError,
                     "Fixed_Attribute_Mismatch_Err");
WISPEL_DECLARE_ERROR(EParserAttribute_Default_Type_Mismatch_Err, EParserError,
                     "Attribute_Default_Type_Mismatch_Err");
WISPEL_DECLARE_ERROR(EParserDuplicate_ID_Value_Err, EParserError, "Duplicate_ID_Value_Err");
WISPEL_DECLARE_ERROR(EParserTarget_ID_Value_Not_Found_Err, EParserError,
                     "Target_ID_Value_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserTarget_Unparsed_Entity_Not_Found_Err, EParserError,
                     "Target_Unparsed_Entity_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserWrong_Declaration_Of_Predefined_Entity_Err, EParserError,
                     "Wrong_Declaration_Of_Predefined_Entity_Err");
WISPEL_DECLARE_ERROR(EParserUnresolvable_Entity_Reference_Err, EParserError,
                     "Unresolvable_Entity_Reference_Err");
WISPEL_DECLARE_ERROR(EParserUnresolvable_Parameter_Entity_Reference_Err, EParserError,
                     "Unresolvable Parameter Entity Reference.");
WISPEL_DECLARE_ERROR(EParserExternal_Subset_Not_Found_Err, EParserError,
                     "External_Subset_Not_Found_Err");
WISPEL_DECLARE_ERROR(EParserExternal_Entity_Not_Found_Err, EParserError,
                     "External_Entity_Not_Found_Err");

// Warnings.
WISPEL_DECLARE_ERROR(EParserDouble_AttDef_Warning, EParserWarning, "Double_AttDef_Warning");
WISPEL_DECLARE_ERROR(EParserDouble_Entity_Decl_Warning, EParserWarning,
                     "Double_Entity_Decl_Warning");
WISPEL_DECLARE_ERROR(EParserDouble_Parameter_Entity_Decl_Warning, EParserWarning,
                     "Double_Parameter_Entity_Decl_Warning");
WISPEL_DECLARE_ERROR(EParserUnusable_Entity_Decl_Warning, EParserWarning,
                     "Unusable_Entity_Decl_Warning");

}  // namespace wispel
