// The engine's inflaters against the reference (zlib: inflateInit, one inflate with Z_FINISH into
// the whole buffer, inflateEnd). Every case must give the same result, the same length and the same
// bytes. When libdeflate is built in, its inflater is held to the same answers, including on data
// that libdeflate alone would accept.

#include "engine/inflate.h"
#include "engine/pdf_text_extractor.h"
#include "tests/support/deflate_writer.h"
#include "tests/support/file_utils.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

using pagewright::decode::InflateBuffer;
using pagewright::decode::InflateResult;
using pagewright::decode::InflateWhole;
using pagewright::decode::Proof;
using namespace pagewright::testing;

const char* Name(InflateResult r) {
    switch (r) {
    case InflateResult::Ok:
        return "Ok";
    case InflateResult::Skipped:
        return "Skipped";
    case InflateResult::NoMemory:
        return "NoMemory";
    }
    return "?";
}

struct Outcome {
    InflateResult result;
    std::string bytes;
};

// The reference, into a buffer of exactly `capacity` bytes.
Outcome RunReference(const std::string& data, std::size_t capacity) {
    std::vector<unsigned char> out(capacity + 1, 0xA5);
    std::size_t produced = 0;
    const InflateResult r = InflateWhole(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                         out.data(), capacity, produced);
    EXPECT_LE(produced, capacity);
    EXPECT_EQ(out[capacity], 0xA5) << "wrote past the buffer";
    return Outcome{r, std::string(reinterpret_cast<const char*>(out.data()), std::min(produced, capacity))};
}

// An inflater of the stream loop with `capacity` as its limit, into a buffer that starts empty (so
// it grows while the stream inflates) or, with `start`, already holds that many bytes. With
// Proof::Deferred, an answer left unproven is proven afterwards, as the stream loop does.
template <typename Inflater>
Outcome RunInflater(Inflater& inflater, const std::string& data, std::size_t capacity, std::size_t start = 0,
                    Proof proof = Proof::Now) {
    InflateBuffer buffer(3, '#');
    if (start > 0) {
        EXPECT_TRUE(buffer.Grow(start, 0));
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    std::size_t produced = 0;
    InflateResult r = inflater.Inflate(bytes, data.size(), buffer, capacity, produced, proof);
    if (proof == Proof::Now) {
        EXPECT_FALSE(inflater.Unproven());
    } else if (r == InflateResult::Ok && inflater.Unproven()) {
        bool replaced = false;
        r = inflater.Prove(bytes, data.size(), buffer, capacity, produced, replaced);
        EXPECT_FALSE(inflater.Unproven());
    }
    EXPECT_LE(produced, capacity);
    EXPECT_LE(buffer.Capacity(), std::max({capacity, start, std::size_t{1}})) << "grew past the limit";
    if (buffer.Capacity() == 0) // never used: the stream was refused by its header
        return Outcome{r, {}};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Front()), 3), "###") << "front bytes lost";
    return Outcome{r,
                   std::string(reinterpret_cast<const char*>(buffer.Data()), std::min(produced, capacity))};
}

// Text operators of a realistic page, `lines` lines long.
std::string PageContent(int lines, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::string content = "BT /F1 10 Tf 72 720 Td\n";
    for (int i = 0; i < lines; ++i)
        content += "[(Line " + std::to_string(i) + ")" + std::to_string(-static_cast<int>(rng() % 900)) +
                   "(of text " + std::to_string(rng() % 100000) + ")] TJ 0 -12 Td\n";
    return content + "ET\n";
}

std::string Compress(const std::string& raw, int level) {
    return pagewright::pdfgen::Deflate(raw, level);
}

std::string WithPresetDictionary(const std::string& raw) {
    const std::string dictionary = "Line of text TJ Td";
    z_stream zs{};
    deflateInit(&zs, 6);
    deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
    std::string out(raw.size() + 1024, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    zs.avail_in = static_cast<uInt>(raw.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

class InflateAgreement : public ::testing::Test {
protected:
    // Checks one input at one buffer size (10 x its length unless given); returns the reference.
    Outcome Check(const std::string& data, const std::string& what, std::size_t capacity = SIZE_MAX) {
        if (capacity == SIZE_MAX)
            capacity = data.size() * 10;
        SCOPED_TRACE(what + " (" + std::to_string(data.size()) + " bytes into " + std::to_string(capacity) +
                     ")");
        const Outcome reference = RunReference(data, capacity);
        // A buffer that starts empty, and one that is already larger than the limit; inflaters that
        // take a small limit whole, and inflaters that grow the buffer from the first byte.
        for (const std::size_t start : {std::size_t{0}, capacity + 100}) {
            Expect(reference, RunInflater(m_zlib, data, capacity, start), "zlib kept state");
            Expect(reference, RunInflater(m_zlibGrowing, data, capacity, start), "zlib growing");
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
            Expect(reference, RunInflater(m_libdeflate, data, capacity, start), "libdeflate");
            Expect(reference, RunInflater(m_libdeflateGrowing, data, capacity, start, Proof::Deferred),
                   "libdeflate growing, proven later");
#endif
        }
        return reference;
    }

    static void Expect(const Outcome& reference, const Outcome& got, const char* who) {
        EXPECT_EQ(Name(got.result), Name(reference.result)) << who;
        if (reference.result == InflateResult::Ok && got.result == InflateResult::Ok) {
            EXPECT_TRUE(SameBytes(got.bytes, reference.bytes)) << who;
        }
    }

    // One inflater of each kind for the whole test: state must not leak from stream to stream.
    pagewright::decode::ZlibInflater m_zlib;
    pagewright::decode::ZlibInflater m_zlibGrowing{0};
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
    pagewright::decode::LibdeflateInflater m_libdeflate;
    pagewright::decode::LibdeflateInflater m_libdeflateGrowing{0};
#endif
};

TEST_F(InflateAgreement, WellFormedStreamsAtEveryLevelAndAroundTheBound) {
    for (const int lines : {0, 1, 40, 4000}) {
        const std::string raw = PageContent(lines);
        for (const int level : {0, 1, 6, 9}) {
            const std::string z = Compress(raw, level);
            const std::string what = std::to_string(lines) + " lines, level " + std::to_string(level);
            const Outcome ok = Check(z, what, raw.size());
            EXPECT_EQ(Name(ok.result), Name(InflateResult::Ok));
            EXPECT_TRUE(SameBytes(ok.bytes, raw));
            Check(z, what + ", ten times", z.size() * 10);
            if (!raw.empty()) {
                const Outcome shortBy1 = Check(z, what + ", one byte short", raw.size() - 1);
                EXPECT_EQ(Name(shortBy1.result), Name(InflateResult::Skipped));
            }
            Check(z, what + ", no room", 0);
        }
    }
}

TEST_F(InflateAgreement, TrailingBytesTruncationAndTinyData) {
    const std::string raw = PageContent(300);
    const std::string z = Compress(raw, 6);
    EXPECT_EQ(Name(Check(z + "\r\nendobj junk", "trailing bytes").result), Name(InflateResult::Ok));
    EXPECT_EQ(Name(Check(z + std::string(5000, '\0'), "trailing zeros").result), Name(InflateResult::Ok));
    for (std::size_t cut = 0; cut < z.size(); ++cut)
        Check(z.substr(0, cut), "cut to " + std::to_string(cut), raw.size() * 2);
    for (int b = 0; b < 256; ++b)
        Check(std::string(1, static_cast<char>(b)), "one byte " + std::to_string(b), 10);
}

TEST_F(InflateAgreement, ChecksumsHeadersAndPresetDictionaries) {
    const std::string raw = PageContent(50);
    const std::string z = Compress(raw, 6);
    for (std::size_t i = z.size() - 4; i < z.size(); ++i) {
        std::string bad = z;
        bad[i] = static_cast<char>(bad[i] ^ 0x01);
        EXPECT_EQ(Name(Check(bad, "Adler-32 byte " + std::to_string(i)).result),
                  Name(InflateResult::Skipped));
    }
    // Every two-byte header in front of the same deflate data: check bits, method, window size and
    // the preset-dictionary flag, all as zlib decides them.
    for (unsigned header = 0; header < 0x10000; ++header) {
        std::string data = z;
        data[0] = static_cast<char>(header >> 8);
        data[1] = static_cast<char>(header & 0xFF);
        const std::size_t capacity = data.size() * 10;
        const Outcome reference = RunReference(data, capacity);
#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
        const Outcome got = RunInflater(m_libdeflateGrowing, data, capacity);
        if (got.result != reference.result || got.bytes != reference.bytes)
            ADD_FAILURE() << "header " << std::hex << header << ": " << Name(got.result) << " vs "
                          << Name(reference.result);
#endif
        const Outcome kept = RunInflater(m_zlibGrowing, data, capacity);
        if (kept.result != reference.result || kept.bytes != reference.bytes)
            ADD_FAILURE() << "header " << std::hex << header << " (zlib kept state)";
    }
    // A preset dictionary: zlib stops and asks for it (taken, nothing inflated) once the four bytes
    // of its id are there, and wants more input before that.
    const std::string dict = WithPresetDictionary(raw);
    const Outcome asked = Check(dict, "preset dictionary");
    EXPECT_EQ(Name(asked.result), Name(InflateResult::Ok));
    EXPECT_EQ(asked.bytes, "");
    for (std::size_t cut = 1; cut <= 7; ++cut)
        Check(dict.substr(0, cut), "preset dictionary cut to " + std::to_string(cut));
}

TEST_F(InflateAgreement, StoredBlocks) {
    const std::string raw = PageContent(20);
    const std::string stored = Compress(raw, 0);
    EXPECT_EQ(Name(Check(stored, "stored").result), Name(InflateResult::Ok));
    // LEN and NLEN that do not match, a LEN beyond the data, and an empty last stored block.
    std::string badLength = stored;
    badLength[5] = static_cast<char>(badLength[5] ^ 0x10);
    Check(badLength, "NLEN not the complement of LEN");
    Check(stored.substr(0, 20), "stored block cut short");
    BitWriter w;
    w.Bits(0, 1);
    w.Bits(0, 2);
    std::string deflate = w.Finish() + std::string("\x03\x00\xFC\xFF", 4) + "abc";
    BitWriter last;
    last.Bits(1, 1);
    last.Bits(0, 2);
    deflate += last.Finish() + std::string("\x00\x00\xFF\xFF", 4);
    EXPECT_EQ(Check(ZlibWrap(deflate, "abc"), "stored blocks, the last one empty").bytes, "abc");
}

// Data that zlib refuses but that another decoder may take. The engine must refuse it too.
TEST_F(InflateAgreement, ConstructsZlibRefuses) {
    struct Case {
        std::string what;
        std::string deflate;
        std::string inflated; // as the decoder that takes it inflates it
    };
    std::vector<Case> cases;
    {
        // Distance codes 30 and 31 exist in fixed blocks only; zlib calls them invalid.
        for (const int code : {29, 30, 31}) {
            BitWriter w;
            w.Bits(1, 1);
            w.Bits(1, 2);
            std::string raw(40000, 'A');
            for (int i = 0; i < 40000; ++i)
                FixedLiteral(w, 'A');
            FixedLiteral(w, 257); // length 3
            w.Code(static_cast<std::uint32_t>(code), 5);
            w.Bits(0, 13);
            raw += "AAA";
            FixedLiteral(w, 256);
            cases.push_back({"fixed distance code " + std::to_string(code), w.Finish(), raw});
        }
        // So do length codes 286 and 287; a decoder that takes them copies 258 bytes, as code 285
        // does. The trailer must match those bytes, or the case tests only a bad checksum.
        for (const int code : {285, 286, 287}) {
            BitWriter w;
            w.Bits(1, 1);
            w.Bits(1, 2);
            FixedLiteral(w, 'A');
            FixedLiteral(w, code);
            w.Code(0, 5); // distance 1
            FixedLiteral(w, 256);
            cases.push_back({"fixed length code " + std::to_string(code), w.Finish(), std::string(259, 'A')});
        }
    }
    // More than 286 literal/length or 30 distance codes in a header, even unused.
    for (const int literals : {286, 287, 288}) {
        for (const int distances : {30, 31, 32}) {
            std::vector<int> lit(static_cast<std::size_t>(literals), 0);
            std::vector<int> dist(static_cast<std::size_t>(distances), 0);
            lit['A'] = 1;
            lit[256] = 1;
            dist[0] = 1;
            BitWriter w;
            const DynamicCodes codes = DynamicHeader(w, lit, dist);
            w.Code(codes.literals['A'], 1);
            w.Code(codes.literals[256], 1);
            cases.push_back({"HLIT " + std::to_string(literals) + ", HDIST " + std::to_string(distances),
                             w.Finish(), "A"});
        }
    }
    // Incomplete and single codes: zlib takes a lone one-bit code, and no distance code at all.
    {
        std::vector<int> lit(257, 0);
        lit[256] = 1;
        BitWriter w;
        const DynamicCodes codes = DynamicHeader(w, lit, {1});
        w.Code(codes.literals[256], 1);
        cases.push_back({"end-of-block as the only code", w.Finish(), ""});
    }
    {
        std::vector<int> lit(257, 0);
        lit['A'] = 1;
        lit[256] = 1;
        BitWriter w;
        const DynamicCodes codes = DynamicHeader(w, lit, {0});
        w.Code(codes.literals['A'], 1);
        w.Code(codes.literals[256], 1);
        cases.push_back({"no distance code", w.Finish(), "A"});
    }
    {
        std::vector<int> lit(258, 0);
        lit['A'] = 1;
        lit[256] = 2;
        lit[257] = 2;
        BitWriter w;
        const DynamicCodes codes = DynamicHeader(w, lit, {0});
        w.Code(codes.literals['A'], 1);
        w.Code(codes.literals[257], 2);
        w.Code(codes.literals[256], 2);
        cases.push_back({"a length with no distance code", w.Finish(), "AAAA"});
    }
    {
        std::vector<int> lit(257, 0);
        lit['A'] = 1;
        lit[256] = 2;
        BitWriter w;
        const DynamicCodes codes = DynamicHeader(w, lit, {1});
        w.Code(codes.literals['A'], 1);
        w.Code(codes.literals[256], 2);
        cases.push_back({"incomplete literal code", w.Finish(), "A"});
    }
    // A lone one-bit distance code: its code 0 is a distance, its code 1 is no code at all.
    for (const std::uint32_t distanceCode : {0u, 1u}) {
        std::vector<int> lit(258, 0);
        lit['A'] = 1;
        lit[256] = 2;
        lit[257] = 2;
        BitWriter w;
        const DynamicCodes codes = DynamicHeader(w, lit, {1, 0});
        w.Code(codes.literals['A'], 1);
        w.Code(codes.literals[257], 2);
        w.Code(distanceCode, 1);
        w.Code(codes.literals[256], 2);
        cases.push_back({"lone distance code, code " + std::to_string(distanceCode), w.Finish(), "AAAA"});
    }
    // Code length repeats: a 16 with nothing before it, and a run past the last length.
    for (const bool repeatFirst : {true, false}) {
        BitWriter w;
        w.Bits(1, 1);
        w.Bits(2, 2);
        w.Bits(0, 5);  // 257 literal/length codes
        w.Bits(0, 5);  // 1 distance code
        w.Bits(15, 4); // 19 code length codes
        static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        // Code length code: 0-12 and 16-18 four bits each (complete).
        std::vector<int> pre(19, 0);
        for (int s = 0; s <= 12; ++s)
            pre[static_cast<std::size_t>(s)] = 4;
        pre[16] = pre[17] = pre[18] = 4;
        for (const int s : kOrder)
            w.Bits(static_cast<std::uint32_t>(pre[static_cast<std::size_t>(s)]), 3);
        const auto pc = CanonicalCodes(pre);
        auto sym = [&](int s, std::uint32_t extra, int extraBits) {
            w.Code(pc[static_cast<std::size_t>(s)], 4);
            w.Bits(extra, extraBits);
        };
        if (repeatFirst)
            sym(16, 0, 2);
        sym(18, 54, 7); // 65 zeros ('A' is 65)
        sym(1, 0, 0);   // 'A'
        sym(18, 127, 7);
        sym(18, 41, 7); // 190 zeros up to 256
        sym(1, 0, 0);   // end-of-block
        if (repeatFirst)
            sym(1, 0, 0); // the distance code
        else
            sym(16, 0, 2); // three copies where one length is left
        std::vector<int> lit(257, 0);
        lit['A'] = 1;
        lit[256] = 1;
        const auto lc = CanonicalCodes(lit);
        w.Code(lc['A'], 1);
        w.Code(lc[256], 1);
        cases.push_back({repeatFirst ? "repeat with no length before it" : "repeat past the last length",
                         w.Finish(), "A"});
    }

    // Each construct also after a first block that opens a text object and a literal: whatever a
    // decoder inflates of it is text. The stream loop must write zlib's text, however late it checks.
    BitWriter opening;
    opening.Bits(0, 1);
    opening.Bits(1, 2);
    for (const char c : std::string("BT ("))
        FixedLiteral(opening, static_cast<unsigned char>(c));
    FixedLiteral(opening, 256);
    opening.Bits(0, 1); // an empty stored block ends it on a byte boundary
    opening.Bits(0, 2);
    const std::string prefix = opening.Finish() + std::string("\x00\x00\xFF\xFF", 4);
    const CPdfTextExtractor engine;
    for (const Case& c : cases) {
        const std::string data = ZlibWrap(c.deflate, c.inflated);
        Check(data, c.what, 1 << 20);
        Check(data, c.what + ", no room", 2);
        const std::string opened = ZlibWrap(prefix + c.deflate, "BT (" + c.inflated);
        const Outcome reference = Check(opened, c.what + ", in a text object");
        std::string expected;
        if (reference.result == InflateResult::Ok)
            engine.ExtractText(expected, reinterpret_cast<const unsigned char*>(reference.bytes.data()),
                               reference.bytes.size());
        const std::string pdf = "1 0 obj\nstream\r\n" + opened + "\r\nendstream\nendobj\n";
        std::string written;
        EXPECT_TRUE(
            engine.ConvertBytes(reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size(), written));
        EXPECT_EQ(Visible(written), Visible(expected)) << c.what << ", in a text object";
    }

#ifdef PAGEWRIGHT_HAVE_LIBDEFLATE
    // The cases are only worth their keep while some of them really split the two libraries.
    libdeflate_decompressor* raw = libdeflate_alloc_decompressor();
    ASSERT_NE(raw, nullptr);
    int split = 0;
    std::vector<unsigned char> out(1 << 20);
    for (const Case& c : cases) {
        const std::string data = ZlibWrap(c.deflate, c.inflated);
        std::size_t produced = 0;
        const bool libdeflateTakes = libdeflate_zlib_decompress(raw, data.data(), data.size(), out.data(),
                                                                out.size(), &produced) == LIBDEFLATE_SUCCESS;
        const bool zlibTakes = RunReference(data, out.size()).result == InflateResult::Ok;
        split += libdeflateTakes != zlibTakes ? 1 : 0;
    }
    libdeflate_free_decompressor(raw);
    EXPECT_GE(split, 4) << "libdeflate on its own no longer differs from zlib on these cases";
#endif
}

TEST_F(InflateAgreement, RandomDamageToRealStreams) {
    std::mt19937 rng(20240607);
    std::vector<std::string> streams;
    for (const int level : {1, 6, 9})
        streams.push_back(Compress(PageContent(600, static_cast<unsigned>(level)), level));
    streams.push_back(Compress(PageContent(20), 6));
    for (int round = 0; round < 3000; ++round) {
        std::string data = streams[rng() % streams.size()];
        const int damage = static_cast<int>(rng() % 4);
        for (int k = 0; k <= damage; ++k) {
            const std::size_t at = 2 + rng() % (data.size() - 2);
            data[at] = static_cast<char>(data[at] ^ (1 << (rng() % 8)));
        }
        if (rng() % 4 == 0)
            data.resize(rng() % data.size());
        const std::size_t capacity = rng() % 2 ? data.size() * 10 : rng() % (data.size() * 12 + 1);
        Check(data, "round " + std::to_string(round), capacity);
        if (HasFailure())
            break;
    }
}

} // namespace
