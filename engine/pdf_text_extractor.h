#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace pagewright::io {
class FileSet;
}

// What ConvertFile and ConvertFileToText say of a PDF that was converted but gave no text: nothing
// but blanks and line breaks came out of it. The PDF may hold its text as images, in hexadecimal
// strings or in an encoding that is not applied; nothing is guessed.
inline constexpr char kNoTextFound[] = "no text found (images, hexadecimal strings or unsupported encodings)";

// The text extraction engine. It does not parse the PDF object structure: it finds every
// `stream` ... `endstream` pair by byte search, inflates each as zlib data into a buffer of ten
// times its length, and scans what inflates cleanly for text objects, string literals and the
// numbers that decide line breaks, tabs and spaces. Output is exact bytes with CR LF line breaks.
//
// The object holds no state; every call is independent of the calls before it, so one object may
// be shared by several threads.
class CPdfTextExtractor {
public:
    CPdfTextExtractor();
    virtual ~CPdfTextExtractor();

    // Converts the PDF at `source` into the text file at `target`: the text of every stream, in
    // file order. The text is written under a temporary name beside the target and takes the
    // target's place only once it is complete, so the target holds either its earlier contents or
    // the whole new text, never part of it. Returns true when the whole text was written, including
    // a PDF that has no extractable text (the target is written all the same); `reason`, when it is
    // given, then holds kNoTextFound for such a PDF and is empty otherwise.
    //
    // Returns false, with a short reason in `reason` when it is given, and leaves the target exactly
    // as it was (or absent) when: a path holds a NUL byte; the target names the source itself or a
    // file in `keep` (the other sources of the same run), by identity, through links; the source or
    // an existing target is not a regular file (a folder, named pipe, device or socket, refused
    // before anything is read or written); the source cannot be opened or read; the text file
    // cannot be created, written or put in place (a full disk included); or memory cannot be had.
    // Never throws.
    //
    // A caller that converts several PDFs at once and puts their texts in place in an order of its
    // own takes the same steps one by one with a pagewright::TextJob.
    bool ConvertFile(const std::filesystem::path& source, const std::filesystem::path& target,
                     std::string* reason = nullptr, const pagewright::io::FileSet* keep = nullptr) const;

    // The text of the PDF at `source` into `text` (replacing what it held), by the rules of
    // ConvertFile for the source: only a regular file is read. Returns true with `reason` holding
    // kNoTextFound or nothing, as ConvertFile does; false with the reason when the source cannot be
    // read or memory cannot be had, `text` then empty. Never throws.
    bool ConvertFileToText(const std::filesystem::path& source, std::string& text,
                           std::string* reason = nullptr) const;

    // The stream loop of ConvertFile over a PDF already in memory: appends the text of every
    // stream of `data` to `out`. Returns false only when memory for a stream cannot be had (the
    // text of the streams before it stays in `out`).
    bool ConvertBytes(const unsigned char* data, std::size_t size, std::string& out) const;

    // Offset of the first occurrence of the zero-terminated `keyword` among the first `n` bytes
    // (byte for byte, case-sensitive; only positions where the whole keyword fits), or -1.
    std::ptrdiff_t FindBytes(const unsigned char* bytes, const char* keyword, std::ptrdiff_t n) const;

    // Scans one inflated content stream and appends its text to `out`. Any byte sequence is
    // accepted; a text object or literal left open at the end is abandoned without output.
    void ExtractText(std::string& out, const unsigned char* bytes, std::size_t length) const;

    // The same, appended to a file already open for writing. Returns false when the write fails.
    bool ExtractText(std::FILE* target, const unsigned char* bytes, std::size_t length) const;

    // Reads the unsigned decimal number that ends at window[n] (or just before the spaces that end
    // there), never looking at window[0]. `window` holds at least n + 1 bytes. Returns -1 when no
    // number stands there. The reading does not depend on the process locale.
    float ParseTrailingNumber(const unsigned char* window, int n) const;
};
