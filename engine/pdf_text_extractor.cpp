#include "engine/pdf_text_extractor.h"

#include "engine/stream_decoder.h"
#include "engine/text_job.h"
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

void SetReason(std::string* reason, const std::string& text) {
    if (reason)
        *reason = text;
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

bool CPdfTextExtractor::ConvertFile(const std::filesystem::path& source, const std::filesystem::path& target,
                                    std::string* reason, const pagewright::io::FileSet* keep) const {
    pagewright::TextJob job;
    const bool converted = job.Open(source, target, keep) && job.ConvertWhole() && job.Commit();
    SetReason(reason, job.Reason());
    return converted;
}

bool CPdfTextExtractor::ConvertFileToText(const std::filesystem::path& source, std::string& text,
                                          std::string* reason) const {
    text.clear();
    pagewright::TextJob job;
    bool converted = job.Open(source, {}) && job.ConvertWhole() && job.Commit();
    if (converted) {
        try {
            text.assign(reinterpret_cast<const char*>(job.Text().Bytes()), job.Text().Size());
        } catch (const std::bad_alloc&) {
            converted = false;
        }
    }
    SetReason(reason, job.Failed() || converted ? job.Reason() : "not enough memory to inflate a stream");
    return converted;
}
