#pragma once

#include <streambuf>

// The standard descriptors of pagewright-cli, made safe to use when the caller closed some of them.

namespace pagewright::cli {

// Makes sure descriptors 0, 1 and 2 are open. A closed one gets the null device, opened the wrong
// way round: no file the program opens later can take its number (messages meant for the terminal
// would land in a text file), and every use of it still fails as it would have (a closed standard
// input is not an empty list). Does nothing where there are no such descriptors.
void GuardStandardDescriptors();

// Reads a file descriptor. A read error is thrown as std::system_error, which turns the istream
// over the buffer bad (or reaches its reader when badbit is in its exception mask) instead of being
// taken for the end of the input, as the C library's stream would.
class DescriptorReadBuffer : public std::streambuf {
public:
    explicit DescriptorReadBuffer(int fd) : m_fd(fd) {}

protected:
    int_type underflow() override;

private:
    int m_fd;
    char m_buffer[64 * 1024];
};

} // namespace pagewright::cli
