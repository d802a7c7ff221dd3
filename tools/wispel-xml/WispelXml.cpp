// wispel-xml FILE: parses FILE into a DOM document and prints it one node per line; on
// failure prints the error and the parser's error records and exits 1.

#include <iostream>

#include "core/Exception.h"
#include "tools/wispel-xml/DocumentDump.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"
#include "xml/reader/ErrorHandler.h"

int main(int argc, char** argv) {
    using namespace wispel;
    if (argc != 2) {
        std::cerr << "usage: wispel-xml FILE\n";
        return 2;
    }
    TDomImplementation impl(nullptr);
    TXmlToDomParser parser(nullptr);
    parser.setDOMImpl(&impl);
    try {
        TdomDocument* document = parser.parseFile(argv[1]);
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
