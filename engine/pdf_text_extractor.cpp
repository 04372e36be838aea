#include "engine/pdf_text_extractor.h"

#include "engine/file_io.h"
#include "engine/os_path.h"
#include "engine/stream_decoder.h"
#include "engine/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace pagewright::decode {

std::ptrdiff_t FindBytes(const unsigned char* bytes, const char* keyword, std::ptrdiff_t n) {
    const auto k = static_cast<std::ptrdiff_t>(std::strlen(keyword));
    if (k == 0)
        return n >= 0 ? 0 : -1;
    if (n < k)
        return -1;
    const auto first = static_cast<unsigned char>(keyword[0]);
    const unsigned char* p = bytes;
    const unsigned char* const lastStart = bytes + (n - k);
    while (p <= lastStart) {
        p = static_cast<const unsigned char*>(
            std::memchr(p, first, static_cast<std::size_t>(lastStart - p) + 1));
        if (!p)
            return -1;
        if (std::memcmp(p + 1, keyword + 1, static_cast<std::size_t>(k - 1)) == 0)
            return p - bytes;
        ++p;
    }
    return -1;
}

} // namespace pagewright::decode

namespace {

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

void SetReason(std::string* reason, std::string text) {
    if (reason)
        *reason = std::move(text);
}

// Opens the PDF, which must be a regular file (never waiting on a pipe).
bool OpenSource(const std::filesystem::path& source, pagewright::io::UniqueFile& in, std::string* reason) {
    namespace io = pagewright::io;
    io::FileKind kind = io::FileKind::Missing;
    if (const int error = io::OpenRegularFile(source, in, kind); error != 0) {
        SetReason(reason, "cannot open the PDF: " + ErrorText(error));
        return false;
    }
    if (!in) {
        SetReason(reason, std::string("the PDF is ") + io::DescribeKind(kind) + ", not a regular file");
        return false;
    }
    return true;
}

// Reads the opened PDF whole and closes it.
bool ReadSource(pagewright::io::UniqueFile& in, pagewright::io::FileBytes& bytes, std::string* reason) {
    const int error = pagewright::io::ReadWholeFile(in.get(), bytes);
    in.reset();
    if (error == ENOMEM) {
        SetReason(reason, "not enough memory to read the PDF");
        return false;
    }
    if (error != 0) {
        SetReason(reason, "cannot read the PDF: " + ErrorText(error));
        return false;
    }
    return true;
}

// The text of a PDF read whole, into memory. On failure `text` is empty and the reason set.
bool ConvertHeld(const pagewright::io::FileBytes& bytes, std::string& text, std::string* reason) {
    bool converted = false;
    try {
        StringSink sink(text);
        converted = pagewright::decode::ConvertStreams(bytes.data.get(), bytes.size, sink);
    } catch (const std::bad_alloc&) {
        converted = false;
    }
    if (!converted) {
        text.clear();
        text.shrink_to_fit();
        SetReason(reason, "not enough memory to inflate a stream");
    }
    return converted;
}

// The target must be a regular file or nothing, and one this process may replace.
bool InspectPlace(const std::filesystem::path& target, pagewright::io::TargetInfo& place,
                  std::string* reason) {
    namespace io = pagewright::io;
    if (const int error = io::InspectTarget(target, place); error != 0) {
        SetReason(reason, "cannot create the text file: " + ErrorText(error));
        return false;
    }
    if (place.kind != io::FileKind::Missing && place.kind != io::FileKind::Regular) {
        SetReason(reason,
                  std::string("the text file is ") + io::DescribeKind(place.kind) + ", not a regular file");
        return false;
    }
    if (!place.writable) {
        SetReason(reason, "cannot write the text file: " + ErrorText(EACCES));
        return false;
    }
    return true;
}

// True when both paths name the same existing file (through links, case folding or ".." alike).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const std::filesystem::path osB = OsPath(b);
    return std::filesystem::exists(osB, ec) && std::filesystem::equivalent(OsPath(a), osB, ec);
}

} // namespace

CPdfTextExtractor::CPdfTextExtractor() = default;
CPdfTextExtractor::~CPdfTextExtractor() = default;

std::ptrdiff_t CPdfTextExtractor::FindBytes(const unsigned char* bytes, const char* keyword,
                                            std::ptrdiff_t n) const {
    return pagewright::decode::FindBytes(bytes, keyword, n);
}

bool CPdfTextExtractor::ConvertBytes(const unsigned char* data, std::size_t size, std::string& out) const {
    StringSink sink(out);
    return pagewright::decode::ConvertStreams(data, size, sink);
}

bool CPdfTextExtractor::ReadAhead(const std::filesystem::path& source, AheadText& ahead) const {
    namespace io = pagewright::io;
    ahead.source.clear();
    ahead.text.clear();
    io::FileKind kind = io::FileKind::Missing;
    io::UniqueFile in;
    io::FileBytes bytes;
    if (io::HasNulByte(source) || io::OpenRegularFile(source, in, kind) != 0 || !in ||
        io::ReadWholeFile(in.get(), bytes, kHeldPdfSize) != 0)
        return false;
    in.reset();
    if (!ConvertHeld(bytes, ahead.text, nullptr))
        return false;
    try {
        ahead.source = source;
    } catch (const std::bad_alloc&) {
        ahead.text.clear();
        return false;
    }
    return true;
}

bool CPdfTextExtractor::ConvertFile(const std::filesystem::path& source, const std::filesystem::path& target,
                                    std::string* reason, const pagewright::io::FileSet* keep,
                                    const TargetTurn* turn) const {
    namespace io = pagewright::io;
    if (io::HasNulByte(source) || io::HasNulByte(target)) {
        SetReason(reason, "the file name holds a NUL byte");
        return false;
    }
    if (IsSameFile(source, target)) {
        SetReason(reason, "the text file would overwrite the PDF itself");
        return false;
    }
    if (keep && keep->Contains(target)) {
        SetReason(reason, "the text file would overwrite a PDF of this run");
        return false;
    }

    io::FileBytes bytes;
    io::TargetInfo place;
    // A small PDF's text, made before the target's turn.
    const std::string* held = nullptr;
    std::string heldHere;
    if (turn) {
        if (turn->ahead && turn->ahead->source == source) {
            held = &turn->ahead->text;
        } else {
            io::UniqueFile in;
            if (!OpenSource(source, in, reason) || !ReadSource(in, bytes, reason))
                return false;
            if (bytes.size <= kHeldPdfSize) {
                if (!ConvertHeld(bytes, heldHere, reason))
                    return false;
                bytes = {};
                held = &heldHere;
            }
        }
        if (turn->waitForTurn)
            turn->waitForTurn();
        if (!InspectPlace(target, place, reason))
            return false;
    } else {
        io::UniqueFile in;
        if (!OpenSource(source, in, reason) || !InspectPlace(target, place, reason) ||
            !ReadSource(in, bytes, reason))
            return false;
    }

    io::ReplacementFile out;
    if (const int error = out.Create(place); error != 0) {
        SetReason(reason, "cannot create the text file: " + ErrorText(error));
        return false;
    }
    bool converted = true;
    bool wroteText = false;
    int writeError = 0;
    if (held) {
        // Already whole: written as it stands, without the sink's buffer.
        wroteText = HoldsText(held->data(), held->size());
        errno = 0;
        if (!held->empty() && std::fwrite(held->data(), 1, held->size(), out.File()) != held->size())
            writeError = errno != 0 ? errno : EIO;
    } else {
        FileSink sink(out.File());
        converted = pagewright::decode::ConvertStreams(bytes.data.get(), bytes.size, sink);
        if (!sink.Flush())
            writeError = sink.Error();
        wroteText = sink.WroteText();
    }
    bytes = {};
    if (!converted) {
        // The text is incomplete: the replacement is dropped and the target stays as it was.
        SetReason(reason, "not enough memory to inflate a stream");
        return false;
    }
    if (writeError == 0)
        writeError = out.Commit();
    if (writeError != 0) {
        SetReason(reason, "cannot write the text file: " + ErrorText(writeError));
        return false;
    }
    SetReason(reason, wroteText ? "" : kNoTextFound);
    return true;
}

bool CPdfTextExtractor::ConvertFileToText(const std::filesystem::path& source, std::string& text,
                                          std::string* reason) const {
    text.clear();
    if (pagewright::io::HasNulByte(source)) {
        SetReason(reason, "the file name holds a NUL byte");
        return false;
    }
    pagewright::io::UniqueFile in;
    pagewright::io::FileBytes bytes;
    if (!OpenSource(source, in, reason) || !ReadSource(in, bytes, reason))
        return false;
    if (!ConvertHeld(bytes, text, reason))
        return false;
    SetReason(reason, HoldsText(text.data(), text.size()) ? "" : kNoTextFound);
    return true;
}
