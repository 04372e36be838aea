#include "settings/encoder_settings.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(EncoderSettings, StoredPositionsReadAsAtoiWithoutOverflow) {
    const struct {
        const char* text;
        int position;
    } cases[] = {
        {"1", 1},
        {"-1", -1},
        {"+7", 7},
        {" \t\n12", 12},
        {"2abc", 2},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        // Beyond int: no selection, where atoi would overflow.
        {"99999999999", -1},
        {"2147483648", -1},
        {"-2147483649", -1},
        {"000000000000000000003", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PositionFromText(QString::fromUtf8(c.text)), c.position) << c.text;
}

} // namespace
