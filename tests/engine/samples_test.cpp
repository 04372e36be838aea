#include "engine/pdf_text_extractor.h"
#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The demo PDFs shipped in res/samples/ convert to the texts kept in tests/data/.
TEST(Samples, ConvertToTheirExpectedText) {
    const std::string samples = PAGEWRIGHT_SAMPLES;
    TempDir dir;
    const CPdfTextExtractor engine;
    for (const std::string name : {"welcome", "two-pages", "price-list"}) {
        SCOPED_TRACE(name);
        std::string reason;
        ASSERT_TRUE(engine.ConvertFile(samples + "/" + name + ".pdf", dir / (name + ".txt"), &reason))
            << reason;
        const std::string expected = ReadBytes(std::string(PAGEWRIGHT_TEST_DATA) + "/" + name + ".txt");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Visible(ReadBytes(dir / (name + ".txt"))), Visible(expected));
    }
}

} // namespace
