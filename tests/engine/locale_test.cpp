#include "engine/pdf_text_extractor.h"
#include "tests/support/file_utils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

// Switches the process to a locale whose decimal point is a comma for the life of the object.
class CommaLocale {
public:
    CommaLocale() {
        m_previous = std::setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
                m_active = true;
                return;
            }
        }
        std::setlocale(LC_ALL, m_previous.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

TEST(NumberReading, DoesNotDependOnTheProcessLocale) {
    const std::string input = "BT 0 1.01 Td (a) Tj 0 -14.4 Td (b) Tj 0 1 Td (c) Tj [(x) 1000.5 (y)] TJ ET Q";
    const std::string expected = "\r\na\r\nbcx y\r\n";
    const CPdfTextExtractor engine;
    const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());

    std::string inC;
    engine.ExtractText(inC, bytes, input.size());
    EXPECT_EQ(Visible(inC), Visible(expected));

    const CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "no locale with a decimal comma is installed (scripts/test.sh generates de_DE.UTF-8)";
    // The locale really is in effect: the C library now stops reading "1.01" at the point.
    float viaCLibrary = 0;
    ASSERT_EQ(std::sscanf("1.01", "%f", &viaCLibrary), 1);
    ASSERT_EQ(viaCLibrary, 1.0f);

    std::string inComma;
    engine.ExtractText(inComma, bytes, input.size());
    EXPECT_EQ(Visible(inComma), Visible(expected));
}

} // namespace
