#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
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

// Collects output in memory that grows as needed. Adding a byte is a store and a compare (a string's
// push_back costs a call). When memory cannot be had, the sink fails instead of throwing: what it
// holds stays, later bytes are dropped, and Failed() tells.
class BufferSink {
public:
    void Put(char c) {
        if (m_size == m_capacity && !Grow(1))
            return;
        m_data[m_size++] = c;
    }
    void Append(const unsigned char* bytes, std::size_t n) {
        // Nothing to copy: the buffer may not exist yet.
        if (n == 0)
            return;
        if (n > m_capacity - m_size && !Grow(n))
            return;
        std::memcpy(m_data.get() + m_size, bytes, n);
        m_size += n;
    }
    // Empties the sink and clears a failure; the memory stays for the next use.
    void Clear() {
        m_size = 0;
        m_failed = false;
    }
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(m_data.get()); }
    std::size_t Size() const { return m_size; }
    std::size_t Capacity() const { return m_capacity; }
    bool Failed() const { return m_failed; }

private:
    bool Grow(std::size_t more);

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_failed = false;
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
    void Append(const unsigned char* bytes, std::size_t n) {
        // Most literals are a few bytes: copied here, the rest out of line.
        if (n <= kCapacity - m_used) {
            std::memcpy(m_buffer + m_used, bytes, n);
            m_used += n;
            return;
        }
        AppendLarge(bytes, n);
    }
    // Writes what is buffered; returns false once any write has failed.
    bool Flush();
    int Error() const { return m_errno; }
    // Whether anything but blanks and line breaks has been flushed (see HoldsText).
    bool WroteText() const { return m_wroteText; }

private:
    void AppendLarge(const unsigned char* bytes, std::size_t n);

    static constexpr std::size_t kCapacity = 64 * 1024;
    std::FILE* m_file;
    std::size_t m_used = 0;
    bool m_failed = false;
    bool m_wroteText = false;
    int m_errno = 0;
    char m_buffer[kCapacity];
};
