#include "engine/text_job.h"

#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"
#include "engine/stream_decoder.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

namespace pagewright {

namespace {

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

// True when both paths name the same existing file (through links, case folding or ".." alike).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const std::filesystem::path osB = OsPath(b);
    return std::filesystem::exists(osB, ec) && std::filesystem::equivalent(OsPath(a), osB, ec);
}

constexpr char kNoMemoryToInflate[] = "not enough memory to inflate a stream";

// Where a PDF's header must start: its first kilobyte holds "%PDF-" (some writers put bytes before
// it, which readers accept up to there).
bool LooksLikePdf(const unsigned char* data, std::size_t size) {
    constexpr std::size_t kHeaderWindow = 1024;
    return decode::FindBytes(data, "%PDF-", static_cast<std::ptrdiff_t>(std::min(size, kHeaderWindow))) >= 0;
}

} // namespace

TextJob::TextJob() = default;
TextJob::~TextJob() = default;

bool TextJob::Fail(const char* reason) noexcept {
    try {
        return Fail(std::string(reason));
    } catch (const std::bad_alloc&) {
        m_reason.clear();
        return Fail(std::string());
    }
}

bool TextJob::Fail(std::string reason) {
    m_failed = true;
    m_reason = std::move(reason);
    // Other threads may still be converting parts of a split PDF out of these bytes: EndParts,
    // after the last part, gives them back.
    if (!m_split)
        m_pdf = {};
    m_text = {};
    m_out.reset();
    return false;
}

bool TextJob::Open(const std::filesystem::path& source, const std::filesystem::path& target,
                   const io::FileSet* keep, const std::atomic<bool>* cancel) {
    m_cancel = cancel;
    m_toFile = !target.empty();
    if (io::HasNulByte(source) || io::HasNulByte(target))
        return Fail("the file name holds a NUL byte");
    if (m_toFile && IsSameFile(source, target))
        return Fail("the text file would overwrite the PDF itself");
    if (m_toFile && keep) {
        if (const auto role = keep->Find(target))
            return Fail(*role == io::FileSet::Role::List ? "the text file would overwrite a list of this run"
                                                         : "the text file would overwrite a PDF of this run");
    }

    // The PDF must be a regular file, opened without ever waiting on a pipe.
    io::FileKind kind = io::FileKind::Missing;
    io::UniqueFile in;
    if (const int error = io::OpenRegularFile(source, in, kind); error != 0)
        return Fail("cannot open the PDF: " + ErrorText(error));
    if (!in)
        return Fail(std::string("the PDF is ") + io::DescribeKind(kind) + ", not a regular file");

    // The text file must be a regular file or nothing, and one this process may replace.
    if (m_toFile) {
        if (const int error = io::InspectTarget(target, m_place); error != 0)
            return Fail("cannot create the text file: " + ErrorText(error));
        if (m_place.kind != io::FileKind::Missing && m_place.kind != io::FileKind::Regular)
            return Fail(std::string("the text file is ") + io::DescribeKind(m_place.kind) +
                        ", not a regular file");
        if (m_place.writeError != 0)
            return Fail("cannot write the text file: " + ErrorText(m_place.writeError));
    }

    // Measured and given its room now; read by the step that converts it.
    const int error = io::BeginRead(in.get(), m_pdf);
    if (error == ENOMEM)
        return Fail("not enough memory to read the PDF");
    if (error != 0)
        return Fail("cannot read the PDF: " + ErrorText(error));
    m_in = std::move(in);
    m_modified = m_pdf.modified;
    return true;
}

std::string TextJob::ReadPiece(std::size_t most, bool& ended) {
    std::size_t got = 0;
    if (const int error = io::ReadMore(m_in.get(), m_pdf, most, got); error != 0)
        return "cannot read the PDF: " + ErrorText(error);
    ended = got == 0 || m_pdf.size == m_pdf.capacity;
    // Anything else named .pdf (an empty file, a picture, a download that failed) would give an
    // empty text in place of a good one. The header must be in the first kilobyte.
    if ((ended || m_pdf.size >= 1024) && !m_headerSeen) {
        if (!LooksLikePdf(m_pdf.data.get(), m_pdf.size))
            return "not a PDF file";
        m_headerSeen = true;
    }
    if (ended)
        m_in.reset();
    return {};
}

bool TextJob::CreateReplacement() {
    m_out.emplace();
    if (const int error = m_out->Create(m_place); error != 0)
        return Fail("cannot create the text file: " + ErrorText(error));
    return true;
}

void TextJob::Write(const BufferSink& text) {
    errno = 0;
    if (m_writeError == 0 && text.Size() > 0 &&
        std::fwrite(text.Bytes(), 1, text.Size(), m_out->File()) != text.Size())
        m_writeError = errno != 0 ? errno : EIO;
}

bool TextJob::ConvertWhole() {
    if (m_failed)
        return false;
    for (bool ended = false; !ended;) {
        if (std::string failure = ReadPiece(m_pdf.capacity, ended); !failure.empty())
            return Fail(std::move(failure));
    }
    bool converted = false;
    if (!m_toFile || m_pdf.size <= kInMemoryPdfSize) {
        converted =
            decode::ConvertStreams(m_pdf.data.get(), m_pdf.size, m_text, m_cancel) && !m_text.Failed();
        m_wroteText = HoldsText(reinterpret_cast<const char*>(m_text.Bytes()), m_text.Size());
    } else {
        if (!CreateReplacement())
            return false;
        FileSink sink(m_out->File());
        converted = decode::ConvertStreams(m_pdf.data.get(), m_pdf.size, sink, m_cancel);
        if (!sink.Flush())
            m_writeError = sink.Error();
        m_wroteText = sink.WroteText();
    }
    m_pdf = {};
    // An incomplete text is dropped: the text file stays as it was.
    if (!converted)
        return Fail(Cancelled() ? "cancelled" : kNoMemoryToInflate);
    return true;
}

bool TextJob::Split(std::size_t partBytes, const std::function<void(PdfPart&& part)>& found,
                    std::string& failure) {
    if (m_failed) {
        failure = m_reason;
        return false;
    }
    m_split = true;
    // Read in pieces, each walked as soon as it is in: the parts found in what has been read are
    // converted by other threads while the rest comes in.
    constexpr std::size_t kPiece = 4 << 20;
    const unsigned char* const data = m_pdf.data.get();
    decode::StreamWalker walker;
    PdfPart part;
    try {
        for (bool ended = false; !ended;) {
            failure = ReadPiece(kPiece, ended);
            if (!failure.empty())
                return false;
            walker.Walk(data, m_pdf.size, ended, [&](const unsigned char* bytes, std::size_t length) {
                part.streams.emplace_back(static_cast<std::size_t>(bytes - data), length);
                part.bytes += length;
                if (part.bytes >= partBytes) {
                    found(std::move(part));
                    part = {};
                }
                return !Cancelled();
            });
            if (Cancelled()) {
                failure = "cancelled";
                return false;
            }
        }
        if (!part.streams.empty())
            found(std::move(part));
    } catch (const std::bad_alloc&) {
        failure = kNoMemoryToInflate;
        return false;
    }
    return true;
}

PartScratch::PartScratch() = default;
PartScratch::~PartScratch() = default;

void PartScratch::Release() {
    m_converter.reset();
}

bool TextJob::ConvertPart(const PdfPart& part, BufferSink& text, PartScratch& scratch) const {
    text.Clear();
    if (!scratch.m_converter) {
        try {
            scratch.m_converter = std::make_unique<decode::StreamConverter>();
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    decode::StreamConverter& converter = *scratch.m_converter;
    for (const auto& [offset, length] : part.streams) {
        if (Cancelled() || !converter.Convert(m_pdf.data.get() + offset, length, text) || text.Failed())
            return false;
    }
    return true;
}

bool TextJob::AppendPart(const BufferSink& text) {
    if (m_failed)
        return false;
    m_wroteText = m_wroteText || HoldsText(reinterpret_cast<const char*>(text.Bytes()), text.Size());
    if (!m_toFile) {
        m_text.Append(text.Bytes(), text.Size());
        return !m_text.Failed() || Fail(kNoMemoryToInflate);
    }
    if (!m_out && !CreateReplacement())
        return false;
    Write(text);
    return true;
}

bool TextJob::EndParts() {
    m_pdf = {};
    if (m_failed)
        return false;
    // A PDF without streams still gets its (empty) text file.
    return !m_toFile || m_out || CreateReplacement();
}

bool TextJob::Commit() {
    if (m_failed)
        return false;
    if (m_toFile) {
        if (!m_out) {
            // A small PDF's text, held until now.
            if (!CreateReplacement())
                return false;
            Write(m_text);
            m_text = {};
        }
        // The text carries the PDF's time as it was read: a PDF changed since is newer than its text.
        if (m_writeError == 0)
            m_writeError = m_out->Commit(&m_modified);
        m_out.reset();
        if (m_writeError != 0)
            return Fail("cannot write the text file: " + ErrorText(m_writeError));
    }
    m_reason = m_wroteText ? "" : kNoTextFound;
    return true;
}

} // namespace pagewright
