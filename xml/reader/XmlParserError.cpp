#include "xml/reader/XmlParserError.h"

#include <array>
#include <utility>

#include "core/Exception.h"
#include "core/Format.h"
#include "xml/reader/ErrorDescriptions.h"

namespace wispel {

namespace {

// The fixed parts of a message in one language. Ids are put between the parts of the
// document phrase, so that they reach the message unchanged.
struct MessageFrame {
    std::array<const char*, 3> severity;  // fatal error, error, warning
    std::array<const char*, 3> bothIds;   // before the public id, between the ids, after
    const char* publicIdOnly;
    const char* systemIdOnly;
    const char* samePosition;  // line, column
    const char* sameLine;      // line, start column, end column
    const char* twoLines;      // start line, start column, end line, end column
};

// clang-format off
const MessageFrame kFrames[] = {
    {{"FATALER FEHLER ", "FEHLER ", "WARNUNG: "}, {"im Dokument ", " (", ") "},
     "im öffentlichen Dokument ", "im lokalen Dokument ", "in Zeile %d, Position %d",
     "in Zeile %d, zwischen Position %d und %d",
     "zwischen Zeile %d, Position %d und Zeile %d, Position %d"},
    {{"FATAL ERROR ", "ERROR ", "WARNING: "}, {"in document ", " (", ") "},
     "in public document ", "in local document ", "in line %d, position %d",
     "in line %d, between position %d and %d",
     "between line %d, position %d and line %d, position %d"},
    {{"ERROR FATAL ", "ERROR ", "ADVERTENCIA: "}, {"en el documento ", " (", ") "},
     "en el documento público ", "en el documento local ", "en la línea %d, posición %d",
     "en la línea %d, entre la posición %d y %d",
     "entre la línea %d, posición %d y la línea %d, posición %d"},
    {{"ERREUR FATALE ", "ERREUR ", "AVERTISSEMENT: "}, {"dans le document ", " (", ") "},
     "dans le document public ", "dans le document local ", "à la ligne %d, position %d",
     "à la ligne %d, entre la position %d et %d",
     "entre la ligne %d, position %d et la ligne %d, position %d"},
    {{"ERRORE FATALE ", "ERRORE ", "AVVISO: "}, {"nel documento ", " (", ") "},
     "nel documento pubblico ", "nel documento locale ", "alla riga %d, posizione %d",
     "alla riga %d, tra la posizione %d e %d",
     "tra la riga %d, posizione %d e la riga %d, posizione %d"},
    {{"FATALE FOUT ", "FOUT ", "WAARSCHUWING: "}, {"in document ", " (", ") "},
     "in openbaar document ", "in lokaal document ", "in regel %d, positie %d",
     "in regel %d, tussen positie %d en %d",
     "tussen regel %d, positie %d en regel %d, positie %d"},
    {{"BŁĄD KRYTYCZNY ", "BŁĄD ", "OSTRZEŻENIE: "}, {"w dokumencie ", " (", ") "},
     "w dokumencie publicznym ", "w dokumencie lokalnym ", "w wierszu %d, pozycja %d",
     "w wierszu %d, między pozycją %d a %d",
     "między wierszem %d, pozycja %d a wierszem %d, pozycja %d"},
};
// clang-format on

std::string classNameOf(const std::exception& error) {
    if (auto* known = dynamic_cast<const Exception*>(&error)) return known->className();
    return "Exception";
}

}  // namespace

TXmlParserError::TXmlParserError(const std::exception& error, std::int32_t startLine,
                                 std::int32_t startColumn, std::int32_t endLine,
                                 std::int32_t endColumn, DOMString publicId, DOMString systemId,
                                 DOMString code)
    : code_(std::move(code)),
      endColumn_(endColumn),
      endLine_(endLine),
      errorClass_(classNameOf(error)),
      severity_(severityOf(error)),
      publicId_(std::move(publicId)),
      startColumn_(startColumn),
      startLine_(startLine),
      systemId_(std::move(systemId)) {}

DOMString TXmlParserError::errorMessage(TdomLanguage language) const {
    auto index = static_cast<std::size_t>(language);
    if (index >= std::size(kFrames)) index = static_cast<std::size_t>(TdomLanguage::langEnglish);
    const MessageFrame& frame = kFrames[index];

    DOMString message = fromUtf8(frame.severity[static_cast<std::size_t>(severity_)]);
    if (!publicId_.empty() && !systemId_.empty()) {
        message += fromUtf8(frame.bothIds[0]) + publicId_ + fromUtf8(frame.bothIds[1]) + systemId_ +
                   fromUtf8(frame.bothIds[2]);
    } else if (!publicId_.empty()) {
        message += fromUtf8(frame.publicIdOnly) + publicId_ + u" ";
    } else if (!systemId_.empty()) {
        message += fromUtf8(frame.systemIdOnly) + systemId_ + u" ";
    }
    if (endLine_ != 0) {
        std::string where;
        if (startLine_ == endLine_ && startColumn_ == endColumn_) {
            where = formatMessage(frame.samePosition, {startLine_, startColumn_});
        } else if (startLine_ == endLine_) {
            where = formatMessage(frame.sameLine, {startLine_, startColumn_, endColumn_});
        } else {
            where = formatMessage(frame.twoLines, {startLine_, startColumn_, endLine_, endColumn_});
        }
        message += fromUtf8(where);
    }
    message += u" -- ";
    message += fromUtf8(errorDescription(errorClass_, language));
    message += code_.empty() ? DOMString(u".") : u": " + code_;
    return message;
}

}  // namespace wispel
