#include "engine/pdf_text_extractor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FindBytes, ReturnsFirstWholeOccurrenceWithinN) {
    struct Case {
        std::string bytes;
        std::string keyword;
        std::ptrdiff_t n;
        std::ptrdiff_t expected;
    };
    const std::vector<Case> cases = {
        {"xxstreamxx", "stream", 10, 2},
        {"streamstream", "stream", 12, 0},
        {"endstream", "stream", 9, 3},
        {"xxstreamxx", "stream", 8, 2},   // fits exactly
        {"xxstreamxx", "stream", 7, -1},  // one byte short
        {"xxStreamxx", "stream", 10, -1}, // case-sensitive
        {"strestream", "stream", 10, 4},  // a partial match before the real one
        {"", "stream", 0, -1},
        {"stream", "stream", 0, -1},
        {std::string("a\0stream", 8), "stream", 8, 2}, // zero bytes are ordinary data
    };
    const CPdfTextExtractor engine;
    for (const Case& c : cases) {
        EXPECT_EQ(
            engine.FindBytes(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.keyword.c_str(), c.n),
            c.expected)
            << "'" << c.bytes << "' / '" << c.keyword << "' within " << c.n;
    }
}

TEST(FindBytes, AgreesWithStringFindOnLongInputs) {
    std::string bytes(100000, 's');
    for (std::size_t i = 0; i < bytes.size(); i += 7)
        bytes[i] = 't';
    bytes.replace(77777, 9, "endstream");
    const CPdfTextExtractor engine;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto n = static_cast<std::ptrdiff_t>(bytes.size());
    EXPECT_EQ(engine.FindBytes(data, "endstream", n), static_cast<std::ptrdiff_t>(bytes.find("endstream")));
    EXPECT_EQ(engine.FindBytes(data, "stream", n), static_cast<std::ptrdiff_t>(bytes.find("stream")));
    EXPECT_EQ(engine.FindBytes(data, "endstream", 77777 + 8), -1);
}

} // namespace
