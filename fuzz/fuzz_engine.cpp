// Fuzz target for the engine: the whole stream loop over arbitrary bytes, and the scanner checked
// against the plain model of it.

#include "pdf_text_extractor.h"
#include "reference_scanner.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <zlib.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CPdfTextExtractor engine;

    std::string text;
    engine.ExtractText(text, data, size);
    const std::string expected = pagewright::reference::ExtractText(data, size);
    if (text != expected) {
        std::fprintf(stderr, "scanner differs from the model: %zu bytes vs %zu expected\n", text.size(),
                     expected.size());
        std::abort();
    }

    std::string converted;
    engine.ConvertBytes(data, size, converted);

    // The same bytes as the only stream of a file: what inflates within ten times its length
    // must give exactly the scanner's text, and nothing otherwise.
    uLongf packedSize = compressBound(static_cast<uLong>(size));
    std::string file = "1 0 obj\n<< >>\nstream\r\n";
    const std::size_t head = file.size();
    file.resize(head + packedSize);
    if (compress2(reinterpret_cast<Bytef*>(file.data() + head), &packedSize, data, static_cast<uLong>(size),
                  6) != Z_OK)
        std::abort();
    file.resize(head + packedSize);
    // Stored (incompressible) blocks hold the input raw; a keyword among them frames other streams.
    if (engine.FindBytes(reinterpret_cast<const unsigned char*>(file.data() + head), "stream",
                         static_cast<std::ptrdiff_t>(packedSize)) >= 0)
        return 0;
    file += "\r\nendstream\nendobj\n";
    std::string fromFile;
    if (!engine.ConvertBytes(reinterpret_cast<const unsigned char*>(file.data()), file.size(), fromFile))
        std::abort();
    const bool fits = size <= packedSize * 10;
    if (fromFile != (fits ? text : std::string())) {
        std::fprintf(stderr, "stream loop lost or changed the text of its only stream\n");
        std::abort();
    }
    return 0;
}
