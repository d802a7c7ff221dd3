// wispel-xml FILE: parses FILE into a DOM document and prints it one node per line; on
// failure (of any kind) prints the error and the parser's error records and exits 1, as it
// does when standard output cannot take what it prints.

#include <iostream>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"
#include "core/ErrorText.h"
#include "core/Exception.h"
#include "tools/wispel-xml/DocumentDump.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ErrorHandler.h"

namespace {

// Parses and prints; the exit status. Errors of the parser print with its error records.
int dumpFile(const char* path) {
    using namespace wispel;
    TDomImplementation impl(nullptr);
    TXmlToDomParser parser(nullptr);
    parser.setDOMImpl(&impl);
    try {
        TdomDocument* document = parser.parseFile(path);
        dumpDocument(document, std::cout);
        return 0;
    } catch (const Exception& error) {
        std::cout << "error: " << error.className() << ": " << error.message() << '\n';
    }
    const TdomStandardErrorHandler& records = *parser.errorHandler();
    for (int i = 0; i < records.errorCount(); ++i) {
        std::cout << "record: " << toUtf8(records.errors(i).errorMessage(TdomLanguage::langEnglish))
                  << '\n';
    }
    return 1;
}

constexpr wispel::TCommandUsage kUsage{
    "wispel-xml",
    "Parses an XML file and prints its document tree, or the error and its records.",
    "FILE",
    ""};

}  // namespace

int main(int argc, char** argv) {
    using namespace wispel;
    ignoreBrokenPipe();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (answerCommonOption(arguments, kUsage, stdout)) return 0;
    if (!arguments.empty() && arguments[0] == "--") arguments.erase(arguments.begin());
    else if (!arguments.empty() && arguments[0].starts_with("-") && arguments[0] != "-")
        return usageError(kUsage, "unknown option " + arguments[0], stderr);
    if (arguments.size() != 1) return usageError(kUsage, "one FILE expected", stderr);
    int status = 1;
    // Nothing may end the tool but its own exit: an error of any kind (running out of
    // memory included) is reported.
    try {
        status = dumpFile(arguments[0].c_str());
    } catch (const std::exception& error) {
        std::cout << "error: " << errorClassName(error) << ": " << error.what() << '\n';
    } catch (...) {
        std::cout << "error: unknown\n";
    }
    const std::string writeError = outputError(std::cout, "standard output");
    if (writeError.empty()) return status;
    std::cerr << writeError << '\n';
    return 1;
}
