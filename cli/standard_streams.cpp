#include "cli/standard_streams.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pagewright::cli {

void GuardStandardDescriptors() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one.
        const int null = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
#endif
}

DescriptorReadBuffer::int_type DescriptorReadBuffer::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    for (;;) {
#ifdef _WIN32
        const int got = _read(m_fd, m_buffer, static_cast<unsigned>(sizeof m_buffer));
#else
        const ssize_t got = read(m_fd, m_buffer, sizeof m_buffer);
#endif
        if (got > 0) {
            setg(m_buffer, m_buffer, m_buffer + got);
            return traits_type::to_int_type(*gptr());
        }
        if (got == 0)
            return traits_type::eof();
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category());
    }
}

} // namespace pagewright::cli
