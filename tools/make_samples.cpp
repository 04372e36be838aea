// Writes the demo PDFs of res/samples/ into the folder given as the only argument.

#include "tools/pdf_builder.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace pagewright::pdfgen;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples DIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    const std::string welcome = MakePdf({LinesContent({
        "Welcome to Pagewright.",
        "Each PDF in the job list becomes a plain text file of the same name.",
        "Text is taken from the page content, line by line, exactly as it is stored.",
    })});

    const std::string twoPages = MakePdf({
        LinesContent({"Page one: the first of two pages.", "Streams are read in file order."}),
        LinesContent({"Page two: the text of the second page follows the first."}),
    });

    // A small price list: the TJ spacing adjustments become tabs and spaces.
    const std::string table = MakePdf({
        "BT\n/F1 12 Tf\n72 760 Td\n[(Item) -2000 (Qty) -2000 (Price)] TJ\n"
        "0 -16 Td\n[(Paper) -2000 (10) -2000 (4.50)] TJ\n"
        "0 -16 Td\n[(Ink) -2000 (2) -2000 (19.90)] TJ\n"
        "0 -16 Td\n[(Total due:) -250 (28.90)] TJ\nET\n",
    });

    bool ok = WriteFile(dir + "/welcome.pdf", welcome);
    ok = WriteFile(dir + "/two-pages.pdf", twoPages) && ok;
    ok = WriteFile(dir + "/price-list.pdf", table) && ok;
    if (!ok) {
        std::fprintf(stderr, "make_samples: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
