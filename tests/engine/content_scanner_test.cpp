#include "engine/pdf_text_extractor.h"
#include "tests/support/file_utils.h"
#include "tests/support/reference_scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct ScanCase {
    std::string input;
    std::string expected;
};

std::string Extract(const std::string& input) {
    const CPdfTextExtractor engine;
    std::string out;
    engine.ExtractText(out, reinterpret_cast<const unsigned char*>(input.data()), input.size());
    return out;
}

void ExpectScans(const std::vector<ScanCase>& cases) {
    for (const ScanCase& c : cases) {
        SCOPED_TRACE("input: " + Visible(c.input));
        EXPECT_EQ(Visible(Extract(c.input)), Visible(c.expected));
    }
}

const std::vector<ScanCase> kScannerTable = {
    {"BT\n/F1 12 Tf\n72 712 Td\n(Hello World) Tj\nET\n", "\r\nHello World"},
    {"BT\n/F1 12 Tf\n72 712 Td\n(Hello World) Tj\nET\nQ\n", "\r\nHello World\r\n"},
    {"BT /F1 10 Tf 50 700 Td (Line one) Tj 0 -14.4 Td (Line two) Tj 120 0 Td [(A) -250 (B) 1200 (C) 80 (D)] "
     "TJ ET\n",
     "\r\nLine one\r\nLine two\tA B\tCD"},
    {"BT [(A)-1001(B)-1000(C)101(D)100(E)] TJ ET Q", "A\tB C DE\r\n"},
    {"BT 0 1 Td (x) Tj 0 0.5 Td (y) Tj 0 1.01 Td (z) Tj ET Q", "x\ty\r\nz\r\n"},
    {"BT 100.9(x) 1000.9(y) ET Q", "x y\r\n"},
    {"BT 10 20 Td (a\\(b\\)c \\\\ \\n \\101) Tj (x(y)z) Tj ET Q", "\r\na(b)c \\ n 101x(y\r\n"},
    {"q BT 1 0 0 1 72 700 Tm (no td) Tj 0 -1 Td (one) Tj 0 1.5 TD (upper) Tj ET Q", "no tdoneupper\r\n"},
    {"(outside) Tj BT (in) Tj ET x", "in\r\n"},
    {"BT(x)Tj ET x", ""},
    {"BT 0 12\nTd (a) Tj ET Q", "\r\na\r\n"},
    {"BT 0 12\n Td (a) Tj ET Q", "\ta\r\n"},
    {"BT 0  12  Td (a) Tj ET Q", "\r\na\r\n"},
    {"ET BT\r\n(a) Tj\r\nET\r\nBT\r\n(b) Tj\r\nET\r\n", "a\r\nb\r\n"},
    {"BT (open string ET Q", "open string ET Q"},
    {"BT (a) Tj ET", "a"},
    {"BT (caf\xE9\xFF\x7F\x01!) Tj ET Q", "caf\xE9!\r\n"},
};

TEST(ContentScanner, ScannerTableGivesExactBytes) {
    ExpectScans(kScannerTable);
}

TEST(ContentScanner, OperatorRecognitionNeedsSpaceCrOrLfOnBothSides) {
    ExpectScans({
        {"", ""},
        {"BT (a) Tj ET Q", "a\r\n"},             // BT at the very start: the window starts as spaces
        {"x\tBT (a) Tj ET Q", ""},               // tab before BT
        {"BT\t(a) Tj ET Q", ""},                 // tab after BT
        {"BT (a) Tj\tET Q", "a"},                // tab before ET
        {"BT (a) Tj ET\tQ", "a"},                // tab after ET
        {"BT 0 2\tTd (a) Tj ET Q", "a\r\n"},     // tab before Td
        {"BT 0 2 Td\t(a) Tj ET Q", "a\r\n"},     // tab after Td
        {"BT 0 2 TD (a) T* (b) ET Q", "ab\r\n"}, // only Td with a lowercase d
        {"bt (a) et BT (b) ET Q", "b\r\n"},      // operators are case-sensitive
        {"BT (a) ET\r\n", "a\r\n"},              // ET followed by CR LF ends at the LF
        {"BT (a) ET\r", "a"},                    // trailing whitespace as last byte: not recognised
        {"BT (a) ET BT (b) ET Q", "a\r\nb\r\n"},
        {"BT BT (a) ET Q", "a\r\n"}, // a second BT inside a text object changes nothing
    });
}

TEST(ContentScanner, TdLastOperandDecidesBetweenLineBreakTabAndNothing) {
    ExpectScans({
        {"BT 0 1 Td (a) ET Q", "a\r\n"},
        {"BT 0 1.01 Td (a) ET Q", "\r\na\r\n"},
        {"BT 0 0.99 Td (a) ET Q", "\ta\r\n"},
        {"BT 0 0 Td (a) ET Q", "\ta\r\n"},
        {"BT Td (a) ET Q", "\ta\r\n"},           // no number at all
        {"BT 0 . Td (a) ET Q", "\ta\r\n"},       // a lone point is no number
        {"BT 0 -14.4 Td (a) ET Q", "\r\na\r\n"}, // the sign is not read
        {"BT 0 1.5.7 Td (a) ET Q", "\r\na\r\n"}, // read as far as it forms a number: 1.5
        {"BT 0 .5 Td (a) ET Q", "\ta\r\n"},
        {"BT 0 5. Td (a) ET Q", "\r\na\r\n"},
        {"BT 0 0.0000000005 Td (a) ET Q", "\r\na\r\n"}, // only the last 10 characters: 0000000005
        {"BT 0 12\rTd (a) ET Q", "\r\na\r\n"},          // CR is whitespace for the operator
        {"BT 0 12\r Td (a) ET Q", "\ta\r\n"},           // a CR before the space hides the number
        {"BT 0 1 Td(a) ET Q", "a\r\n"},                 // no whitespace after Td: not recognised
        {"BT 0 2 Td 0 3 Td (a) ET Q", "\r\n\r\na\r\n"},
    });
}

TEST(ContentScanner, NumberBeforeLiteralGivesTabSpaceOrNothing) {
    ExpectScans({
        {"BT 1001(a) ET Q", "\ta\r\n"},
        {"BT 1000(a) ET Q", " a\r\n"},
        {"BT 101(a) ET Q", " a\r\n"},
        {"BT 100(a) ET Q", "a\r\n"},
        {"BT 1000.99(a) ET Q", " a\r\n"}, // integer part, truncated
        {"BT 100.99(a) ET Q", "a\r\n"},
        {"BT 500   (a) ET Q", " a\r\n"}, // spaces between number and literal
        {"BT 500\n(a) ET Q", "a\r\n"},   // but not a line end
        {"BT -2000(a) ET Q", "\ta\r\n"},
        {"BT 99999999999999(a) ET Q", "\ta\r\n"}, // 14 digits: huge, still a tab
        {"BT 99999999999999999999(a) ET Q", "\ta\r\n"},
        {"BT 10000000000000000050(a) ET Q", "a\r\n"}, // only the last 14 characters: 50
        {"BT 1e5(a) ET Q", "a\r\n"},                  // 'e' ends the number text: 5
        // The float reading decides where it rounds up to the bound.
        {"BT 1000.99999999(a) ET Q", "\ta\r\n"},
        {"BT 100.99999999(a) ET Q", " a\r\n"},
        {"BT 999.99999999(a) ET Q", " a\r\n"},
        {"BT 00100.9(a) ET Q", "a\r\n"}, // leading zeros: 100
        {"BT 0999.5(a) ET Q", " a\r\n"},
        {"BT 171.479(a)30.27(b) ET Q", " ab\r\n"}, // a word space, then kerning
    });
}

TEST(ContentScanner, LiteralBytesAreCopiedUnchangedWithoutDecodingEscapes) {
    ExpectScans({
        {"BT (a\\\nb) Tj ET Q", "ab\r\n"}, // line continuation writes nothing
        {"BT (\\t\\r\\b\\f) ET Q", "trbf\r\n"},
        {"BT (\\053) ET Q", "053\r\n"},
        {"BT (\\\\) ET Q", "\\\r\n"},
        {"BT (a\\)b) ET Q", "a)b\r\n"},
        {"BT (a\x00\x1F\x7F\xFF\x80\xFE z)"s, "a\x80\xFE z"},
        {"BT (no end", "no end"},
        {"BT (a\\", "a"}, // escape left open at the end
        {"(a) BT ( x ) ET", " x "},
    });
}

// An escaped CR is dropped like any control byte, and so is the LF after it.
TEST(ContentScanner, ControlBytesInsideLiteralsAreDropped) {
    EXPECT_EQ(Visible(Extract("BT (a\\\r\nb) Tj ET Q")), Visible("ab\r\n"));
    EXPECT_EQ(Visible(Extract(std::string("BT (a\tb\nc\rd\x01) ET Q"))), Visible("abcd\r\n"));
}

TEST(ContentScanner, FileOutputMatchesStringOutput) {
    const CPdfTextExtractor engine;
    for (const ScanCase& c : kScannerTable) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
        ASSERT_TRUE(file);
        EXPECT_TRUE(engine.ExtractText(file.get(), reinterpret_cast<const unsigned char*>(c.input.data()),
                                       c.input.size()));
        std::fflush(file.get());
        std::rewind(file.get());
        std::string written(c.expected.size() + 16, '\0');
        written.resize(std::fread(written.data(), 1, written.size(), file.get()));
        EXPECT_EQ(Visible(written), Visible(c.expected)) << "input: " << Visible(c.input);
    }
}

TEST(ContentScanner, ParseTrailingNumberReadsTheNumberEndingAtN) {
    struct NumberCase {
        std::string window; // 15 bytes
        int n;
        float expected;
    };
    const std::vector<NumberCase> cases = {
        {"         12.5  ", 14, 12.5f},
        {"         12.5  ", 12, 12.5f},
        {"               ", 14, -1.0f},
        {"123456789012345", 14, 23456789012345.0f}, // window[0] is never part of the number
        {"abc        -3.0", 14, 3.0f},
        {"abc         3x ", 14, -1.0f},
        {"          .    ", 14, -1.0f},
        {"          1.2.3", 14, 1.2f},
        {"        7 Td   ", 10, -1.0f},
        {"       7  Td   ", 9, 7.0f},
        {"     1.01 Td   ", 10, -1.0f},
        {"     1.01 Td   ", 8, 1.01f},
        {".0000000005 Td ", 10, 5.0f}, // at most 10 characters for Td
        {"       .5      ", 14, 0.5f},
        {"       5.      ", 14, 5.0f},
        {"      1000.999 ", 14, 1000.999f},
        {"     0.0000001 ", 14, 0.0000001f},
        {"    16777217.5 ", 14, 16777218.0f}, // more digits than a float holds
    };
    const CPdfTextExtractor engine;
    for (const NumberCase& c : cases) {
        ASSERT_EQ(c.window.size(), 15u);
        EXPECT_EQ(engine.ParseTrailingNumber(reinterpret_cast<const unsigned char*>(c.window.data()), c.n),
                  c.expected)
            << "window '" << c.window << "' n=" << c.n;
    }
}

TEST(ContentScanner, ParseTrailingNumberAgreesWithFormattedInputAtEveryLength) {
    std::mt19937 rng(7);
    const CPdfTextExtractor engine;
    for (int round = 0; round < 20000; ++round) {
        std::string window(15, ' ');
        const int spaces = static_cast<int>(rng() % 3);
        const int length = 1 + static_cast<int>(rng() % (14 - spaces));
        const int point = rng() % 3 == 0 ? static_cast<int>(rng() % length) : -1;
        for (int k = 0; k < length; ++k)
            window[static_cast<std::size_t>(15 - spaces - length + k)] =
                k == point ? '.' : static_cast<char>('0' + rng() % 10);
        const auto* w = reinterpret_cast<const unsigned char*>(window.data());
        for (const int n : {10, 14})
            ASSERT_EQ(engine.ParseTrailingNumber(w, n), pagewright::reference::ParseTrailingNumber(w, n))
                << "window '" << window << "' n=" << n;
    }
}

// Long stretches between the bytes the scanner reacts to, with one such byte at every position:
// the scanner skips through them many bytes at a time.
TEST(ContentScanner, LongStretchesAgreeWithPlainModel) {
    const CPdfTextExtractor engine;
    const std::string specials = std::string("()\\dTE\x01\x7F\xFF\r\n \0", 13);
    for (std::size_t length = 0; length <= 48; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (const char special : specials) {
                std::string literal(length, 'a');
                std::string text(length, '7');
                if (at < length) {
                    literal[at] = special;
                    text[at] = special;
                }
                for (const std::string& input :
                     {"BT (" + literal + ") Tj ET Q", "BT 1 " + text + " 0 1 Td (x) 2 Td ET Q"}) {
                    std::string out;
                    engine.ExtractText(out, reinterpret_cast<const unsigned char*>(input.data()),
                                       input.size());
                    const std::string expected = pagewright::reference::ExtractText(
                        reinterpret_cast<const unsigned char*>(input.data()), input.size());
                    ASSERT_EQ(Visible(out), Visible(expected)) << "input: " << Visible(input);
                }
            }
        }
    }
}

// Content streams made of the pieces the scanner reacts to, in random order and spacing, compared
// with the plain model of the scanner (a 15-byte window shifted one byte at a time).
TEST(ContentScanner, AgreesWithPlainModelOnGeneratedStreams) {
    const std::vector<std::string> pieces = {
        "BT",  "ET",      "Td",   "TD",    "Tj",   "TJ",   "(",    ")",    "\\",
        "[",   "]",       " ",    " ",     " ",    "\r\n", "\n",   "\r",   "\t",
        "0",   "1",       "1.01", "-14.4", "100",  "101",  "1000", "1001", "99999999999999",
        ".",   "5.",      "abc",  "\xE9",  "\xFF", "\x01", "BT ",  " ET ", " Td ",
        "(x)", "(y\\)z)", "T",    "d",     "B",    "E"};
    std::mt19937 rng(20261207);
    const CPdfTextExtractor engine;
    for (int round = 0; round < 3000; ++round) {
        std::string input;
        const int count = static_cast<int>(rng() % 60);
        for (int i = 0; i < count; ++i)
            input += pieces[rng() % pieces.size()];
        std::string out;
        engine.ExtractText(out, reinterpret_cast<const unsigned char*>(input.data()), input.size());
        const std::string expected = pagewright::reference::ExtractText(
            reinterpret_cast<const unsigned char*>(input.data()), input.size());
        ASSERT_EQ(Visible(out), Visible(expected)) << "input: " << Visible(input);
    }
}

} // namespace
