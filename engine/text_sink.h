#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Where the scanner's bytes go. The scanner is written against this small shape so that the same
// code fills a string (tests, fuzzing, in-memory callers) or a buffered file (ConvertFile).

// True when the bytes hold anything but blanks, tabs and line breaks: the scanner writes those
// between texts, so a PDF whose output has nothing else gave no text.
inline bool HoldsText(const char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (bytes[i] != ' ' && bytes[i] != '\t' && bytes[i] != '\r' && bytes[i] != '\n')
            return true;
    return false;
}

class StringSink {
public:
    explicit StringSink(std::string& out) : m_out(out) {}
    void Put(char c) { m_out.push_back(c); }
    void Append(const unsigned char* bytes, std::size_t n) {
        m_out.append(reinterpret_cast<const char*>(bytes), n);
    }

private:
    std::string& m_out;
};

// Collects output in a fixed buffer and hands it to the file in large writes, so a stream costs a
// handful of write calls instead of one per byte. The first failed write is remembered and nothing
// more is written after it.
class FileSink {
public:
    explicit FileSink(std::FILE* file) : m_file(file) {}
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void Put(char c) {
        if (m_used == kCapacity)
            Flush();
        m_buffer[m_used++] = c;
    }
    void Append(const unsigned char* bytes, std::size_t n);
    // Writes what is buffered; returns false once any write has failed.
    bool Flush();
    int Error() const { return m_errno; }
    // Whether anything but blanks and line breaks has been flushed (see HoldsText).
    bool WroteText() const { return m_wroteText; }

private:
    static constexpr std::size_t kCapacity = 64 * 1024;
    std::FILE* m_file;
    std::size_t m_used = 0;
    bool m_failed = false;
    bool m_wroteText = false;
    int m_errno = 0;
    char m_buffer[kCapacity];
};
