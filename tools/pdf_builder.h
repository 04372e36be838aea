#pragma once

#include <string>
#include <string_view>
#include <vector>

// Builds small, valid PDF files in memory: for tests, fuzz seeds, benchmarks and the sample files
// of the demo. Nothing here is used by the product itself.

namespace pagewright::pdfgen {

// zlib-format (header, deflate data, Adler-32) compression of `raw`.
std::string Deflate(std::string_view raw, int level = 6);

// A string literal for a content stream: parentheses and backslashes escaped.
std::string Literal(std::string_view text);

// A content stream that shows `lines` top-down in 12 pt Helvetica, one `Tj` a line.
std::string LinesContent(const std::vector<std::string>& lines);

// A complete PDF (catalog, page tree, Helvetica, cross-reference table) with one page per entry of
// `pageContents`; each content stream is compressed with FlateDecode unless `compress` is false.
std::string MakePdf(const std::vector<std::string>& pageContents, bool compress = true);

// One indirect stream object with exact framing: `afterKeyword` goes between `stream` and the data,
// `beforeEnd` between the data and `endstream`.
std::string StreamObject(int number, std::string_view data, std::string_view afterKeyword = "\r\n",
                         std::string_view beforeEnd = "\r\n");

// Writes `bytes` to `path`; false on failure.
bool WriteFile(const std::string& path, std::string_view bytes);

} // namespace pagewright::pdfgen
