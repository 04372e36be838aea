#include "tools/pdf_builder.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include <zlib.h>

namespace pagewright::pdfgen {

std::string Deflate(std::string_view raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

std::string Literal(std::string_view text) {
    std::string out = "(";
    for (const char c : text) {
        if (c == '(' || c == ')' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back(')');
    return out;
}

std::string LinesContent(const std::vector<std::string>& lines) {
    std::string content = "BT\n/F1 12 Tf\n72 760 Td\n";
    bool first = true;
    for (const auto& line : lines) {
        if (!first)
            content += "0 -16 Td\n";
        first = false;
        content += Literal(line) + " Tj\n";
    }
    content += "ET\n";
    return content;
}

std::string StreamObject(int number, std::string_view data, std::string_view afterKeyword,
                         std::string_view beforeEnd) {
    std::string out = std::to_string(number) + " 0 obj\n<< /Length " + std::to_string(data.size()) +
                      " /Filter /FlateDecode >>\nstream";
    out.append(afterKeyword);
    out.append(data);
    out.append(beforeEnd);
    out += "endstream\nendobj\n";
    return out;
}

std::string MakePdf(const std::vector<std::string>& pageContents, bool compress) {
    // Objects: 1 catalog, 2 page tree, 3 font, then a page and its content per entry.
    const int pages = static_cast<int>(pageContents.size());
    std::vector<std::string> objects;
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (int i = 0; i < pages; ++i)
        kids += std::to_string(4 + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < pages; ++i) {
        objects.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R "
            ">> >> /Contents " +
            std::to_string(5 + 2 * i) + " 0 R >>");
        const std::string data = compress ? Deflate(pageContents[i]) : pageContents[i];
        std::string stream = "<< /Length " + std::to_string(data.size()) +
                             (compress ? " /Filter /FlateDecode" : "") + " >>\nstream\r\n" + data +
                             "\r\nendstream";
        objects.push_back(std::move(stream));
    }

    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return false;
    return std::fclose(file.release()) == 0;
}

} // namespace pagewright::pdfgen
