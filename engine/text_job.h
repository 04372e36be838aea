#pragma once

#include "engine/file_io.h"
#include "engine/text_sink.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pagewright {

namespace decode {
class StreamConverter;
}

// What a thread that converts parts keeps from one part to the next: its inflate buffer, grown to
// the largest stream met, which a fresh one would have to fault in again for every part. Empty
// until a part is converted; Release gives the memory back.
class PartScratch {
public:
    PartScratch();
    ~PartScratch();
    PartScratch(const PartScratch&) = delete;
    PartScratch& operator=(const PartScratch&) = delete;
    void Release();

private:
    friend class TextJob;
    std::unique_ptr<decode::StreamConverter> m_converter;
};

// A stretch of a PDF's streams: the offset and length of each stream's data, in file order.
struct PdfPart {
    std::vector<std::pair<std::size_t, std::size_t>> streams;
    std::size_t bytes = 0; // the sum of the lengths
};

// One PDF's conversion in steps, for a caller that spreads conversions over threads and puts their
// texts in place in an order of its own (CPdfTextExtractor::ConvertFile takes all the steps at once).
//
// Open checks the paths, opens and measures the PDF and looks at the place of its text file. The
// text is then made on one thread (ConvertWhole, which reads the PDF whole first), or in parts
// (Split, which reads the PDF in pieces and hands out its parts as they come in) that several
// threads may convert at once (ConvertPart) and that are appended in file order (AppendPart, then
// EndParts). Commit puts
// the text in place of the text file; a job destroyed before that leaves the text file exactly as
// it was and no other file behind. A job without a text file keeps its text in memory (Text).
//
// The bytes are those of ConvertFile whatever the steps: the scanner starts afresh at every stream.
// Nothing here throws; every failure ends the job with a short reason (Reason), as ConvertFile
// words it.
class TextJob {
public:
    // A PDF up to this size is converted into memory and its text file written at Commit; a larger
    // one is converted straight into the replacement of its text file.
    static constexpr std::size_t kInMemoryPdfSize = 1024 * 1024;

    TextJob();
    ~TextJob();
    TextJob(const TextJob&) = delete;
    TextJob& operator=(const TextJob&) = delete;

    // The checks of ConvertFile: false, with the reason, when a path holds a NUL byte, the text
    // file would be the PDF or a file of `keep` (a PDF or a list of the run), the PDF cannot be
    // opened or its room cannot be had, or the text file's place cannot take a regular file. A PDF
    // that cannot be read, or is no PDF (no "%PDF-" in its first 1,024 bytes), fails the step that
    // reads it. An empty `target` keeps the text in memory and checks only the PDF. `cancel`, when given and
    // set, ends the conversion steps between two streams (the job then fails).
    bool Open(const std::filesystem::path& source, const std::filesystem::path& target,
              const io::FileSet* keep = nullptr, const std::atomic<bool>* cancel = nullptr);
    // The size of the PDF as Open measured it.
    std::size_t PdfSize() const { return m_pdf.capacity; }

    // Makes the whole text on the calling thread.
    bool ConvertWhole();

    // Reads the PDF in pieces, walks the stream search once over what has come in, and hands over
    // the streams in parts of at least `partBytes` bytes of stream data (the last one may hold
    // less), in file order, as soon as each is found: the parts already handed over may be
    // converted meanwhile. False, with the reason in `failure`, when the PDF cannot be read or is
    // not a PDF, memory for a part cannot be had, or the job is cancelled; the job is then to be
    // ended with Fail once no part is being converted. The job must stay open until every part is
    // converted.
    bool Split(std::size_t partBytes, const std::function<void(PdfPart&& part)>& found, std::string& failure);
    // The text of one part, into `text` (emptied first). Several threads may convert different parts
    // of one job at once; nothing else of the job may run meanwhile but Split and AppendPart.
    // False when memory cannot be had or the job is cancelled.
    bool ConvertPart(const PdfPart& part, BufferSink& text, PartScratch& scratch) const;
    // Appends the text of the next part, in file order; one caller at a time.
    bool AppendPart(const BufferSink& text);
    // After the last part: the PDF's memory is given back, also when the job has failed (a failure
    // while parts are converted keeps it for them).
    bool EndParts();

    // Puts the text in place of the text file, which until then stays as it was, with the PDF's
    // modification time as Open read it; for a job without a text file, only tells whether the text
    // is whole. False with the reason when the text is not
    // whole or cannot be written or put in place.
    bool Commit();

    // Ends the job as failed, with `reason`; its text is dropped. Returns false. The second form
    // never throws, even when memory has run out (the reason may then be lost).
    bool Fail(std::string reason);
    bool Fail(const char* reason) noexcept;
    bool Failed() const { return m_failed; }
    // Why the job failed; after a successful one, kNoTextFound for a PDF without text, else empty.
    const std::string& Reason() const { return m_reason; }
    // The text, for a job without a text file (or before Commit, for a small PDF's).
    const BufferSink& Text() const { return m_text; }
    // The memory held for the text, and whether a replacement file is held open.
    std::size_t HeldBytes() const { return m_text.Capacity(); }
    bool HoldsFile() const { return m_out.has_value(); }

private:
    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    // Opens the replacement file for a text written as it is made.
    bool CreateReplacement();
    // Reads up to `most` more bytes of the PDF; `ended` once it is all in. The reason of a failure,
    // or empty. Checks the header once the first kilobyte is in.
    std::string ReadPiece(std::size_t most, bool& ended);
    // Writes into the replacement file; the first failure is kept for Commit to report.
    void Write(const BufferSink& text);

    io::FileBytes m_pdf;
    io::TargetInfo m_place;
    io::ModTime m_modified; // the PDF's, when it was opened
    io::UniqueFile m_in;    // the PDF, until it is read whole
    bool m_headerSeen = false;
    bool m_toFile = false;
    const std::atomic<bool>* m_cancel = nullptr;
    BufferSink m_text;
    std::optional<io::ReplacementFile> m_out; // the replacement of the text file, once created
    bool m_wroteText = false;
    int m_writeError = 0;
    bool m_failed = false;
    bool m_split = false; // parts of the PDF may be converted on other threads until EndParts
    std::string m_reason;
};

} // namespace pagewright
