#include "engine/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

bool BufferSink::Grow(std::size_t more) {
    if (m_failed)
        return false;
    if (more > std::numeric_limits<std::size_t>::max() - m_size) {
        m_failed = true;
        return false;
    }
    const std::size_t need = m_size + more;
    std::size_t capacity = std::max<std::size_t>(m_capacity, 4096);
    while (capacity < need)
        capacity = capacity > std::numeric_limits<std::size_t>::max() / 2 ? need : capacity * 2;
    std::unique_ptr<char[]> data(new (std::nothrow) char[capacity]);
    if (!data) {
        m_failed = true;
        return false;
    }
    if (m_size > 0)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
    return true;
}

void FileSink::AppendLarge(const unsigned char* bytes, std::size_t n) {
    if (n >= kCapacity) {
        Flush();
        m_wroteText = m_wroteText || HoldsText(reinterpret_cast<const char*>(bytes), n);
        if (!m_failed && std::fwrite(bytes, 1, n, m_file) != n) {
            m_failed = true;
            m_errno = errno;
        }
        return;
    }
    if (m_used + n > kCapacity)
        Flush();
    std::memcpy(m_buffer + m_used, bytes, n);
    m_used += n;
}

bool FileSink::Flush() {
    m_wroteText = m_wroteText || HoldsText(m_buffer, m_used);
    if (m_used > 0 && !m_failed && std::fwrite(m_buffer, 1, m_used, m_file) != m_used) {
        m_failed = true;
        m_errno = errno;
    }
    m_used = 0;
    return !m_failed;
}
