#include "engine/pdf_text_extractor.h"
#include "engine/stream_decoder.h"
#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

using pagewright::pdfgen::Deflate;
using pagewright::pdfgen::MakePdf;
using pagewright::pdfgen::StreamObject;

const std::string kContent = "BT /F1 12 Tf 72 700 Td (Hello) Tj 0 -14 Td (World) Tj ET\nQ\n";
const std::string kText = "\r\nHello\r\nWorld\r\n";

class StreamDecoder : public ::testing::Test {
protected:
    // Converts `body` through a real file and returns the target's bytes. A body without a PDF
    // header gets one: only PDFs are converted.
    std::string Convert(const std::string& body, bool expectedResult = true) {
        const std::string pdf = body.starts_with("%PDF-") ? body : "%PDF-1.4\n" + body;
        const auto source = m_dir / "in.pdf";
        const auto target = m_dir / "out.txt";
        WriteBytes(source, pdf);
        std::string reason;
        EXPECT_EQ(m_engine.ConvertFile(source, target, &reason), expectedResult) << reason;
        // The in-memory loop must give the same bytes as the file conversion.
        std::string inMemory;
        EXPECT_TRUE(
            m_engine.ConvertBytes(reinterpret_cast<const unsigned char*>(pdf.data()), pdf.size(), inMemory));
        const std::string written = ReadBytes(target);
        EXPECT_EQ(Visible(written), Visible(inMemory));
        return written;
    }

    TempDir m_dir;
    const CPdfTextExtractor m_engine;
};

TEST_F(StreamDecoder, FilesWithoutStreamsGiveAnEmptyTextAndSucceed) {
    EXPECT_EQ(Convert(""), "");
    EXPECT_EQ(Convert("%PDF-1.4\n1 0 obj << >> endobj\n%%EOF\n"), "");
    EXPECT_EQ(Convert("stream but no end keyword"), "");
}

TEST(StreamWalk, PiecesOfAnySizeVisitThePairsOfTheWholeFile) {
    // Keywords across the end of a piece, pairs without data, a `stream` inside `endstream`, a
    // `stream` with no end, an `endstream` with no `stream` before it.
    const std::vector<std::string> files = {
        MakePdf({"BT (one) Tj ET", "BT (two) Tj ET", "BT (three) Tj ET"}),
        "stream\r\nabc\r\nendstream stream\ndef\nendstream",
        "xxstream\nendstream\nstream\r\n\r\nendstreamstream",
        "endstream stream\nabc\nendstream",
        "stream\nabc\nendstre",
        "stream\nabc\nendstream stream\ndef without end",
        "streamendstreamstream\nx\nendstream",
        "",
    };
    using Pairs = std::vector<std::pair<std::ptrdiff_t, std::size_t>>;
    for (const std::string& file : files) {
        SCOPED_TRACE(Visible(file.substr(0, 60)));
        const auto* data = reinterpret_cast<const unsigned char*>(file.data());
        Pairs whole;
        pagewright::decode::ForEachStream(data, file.size(),
                                          [&](const unsigned char* bytes, std::size_t length) {
                                              whole.emplace_back(bytes - data, length);
                                              return true;
                                          });
        EXPECT_FALSE(whole.empty() && file.find("endstream") != std::string::npos &&
                     file.starts_with("stream\n"));
        for (const std::size_t piece : {1, 2, 5, 8, 9, 13, 64}) {
            Pairs walked;
            pagewright::decode::StreamWalker walker;
            for (std::size_t available = 0;;) {
                available = std::min(file.size(), available + piece);
                const bool complete = available == file.size();
                walker.Walk(data, available, complete, [&](const unsigned char* bytes, std::size_t length) {
                    walked.emplace_back(bytes - data, length);
                    return true;
                });
                if (complete)
                    break;
            }
            EXPECT_EQ(walked, whole) << "pieces of " << piece;
        }
    }
}

TEST_F(StreamDecoder, ConvertsACompletePdfPageByPage) {
    const std::string pdf = MakePdf({"BT 72 700 Td (Page one) Tj ET\n", "BT 72 700 Td (Page two) Tj ET\n"});
    // Each stream ends with ET and its line end, which the scanner never sees completed.
    EXPECT_EQ(Visible(Convert(pdf)), Visible("\r\nPage one\r\nPage two"));
}

TEST_F(StreamDecoder, DataFramingWithCrLfLfOrNothingGivesTheSameText) {
    const std::string data = Deflate(kContent);
    for (const auto& [after, before] : std::vector<std::pair<std::string, std::string>>{
             {"\r\n", "\r\n"}, {"\n", "\n"}, {"\r\n", ""}, {"\n", ""}, {"\n", "\r\n"}}) {
        SCOPED_TRACE("after stream: " + Visible(after) + ", before endstream: " + Visible(before));
        EXPECT_EQ(Visible(Convert(StreamObject(1, data, after, before))), Visible(kText));
    }
}

TEST_F(StreamDecoder, LoneCrAfterKeywordIsTakenAsDataAndTheStreamYieldsNothing) {
    EXPECT_EQ(Convert(StreamObject(1, Deflate(kContent), "\r", "\r\n")), "");
    // A lone CR before endstream is kept as data: zlib ignores bytes after the end of its stream.
    EXPECT_EQ(Visible(Convert(StreamObject(1, Deflate(kContent), "\n", "\r"))), Visible(kText));
}

TEST_F(StreamDecoder, StreamsThatDoNotInflateCleanlyYieldNothing) {
    const std::string good = StreamObject(2, Deflate(kContent));
    std::string truncated = Deflate(kContent);
    truncated.resize(truncated.size() - 6);
    std::string badChecksum = Deflate(kContent);
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x5A);
    // Data whose Adler-32 ends in a line feed, written right before `endstream`: that byte is taken
    // for the line end, and the stream is one byte short of its trailer. The byte is still there in
    // the file, just past the data.
    const std::string trailerEndsInLf = Deflate("BT (trailer byte taken) Tj ET Q");
    ASSERT_EQ(trailerEndsInLf.back(), '\n');
    EXPECT_EQ(Visible(Convert(StreamObject(1, trailerEndsInLf))), Visible("trailer byte taken\r\n"))
        << "framed by CR LF, the whole trailer is there";

    // Each bad stream is followed by a good one: the loop goes on after a failure.
    for (const auto& [what, stream] : std::vector<std::pair<std::string, std::string>>{
             {"uncompressed text", StreamObject(1, kContent)},
             {"truncated", StreamObject(1, truncated)},
             {"bad checksum", StreamObject(1, badChecksum)},
             {"raw deflate without zlib header", StreamObject(1, Deflate(kContent).substr(2))},
             {"empty", StreamObject(1, "")},
             {"last trailer byte taken for the line end", StreamObject(1, trailerEndsInLf, "\r\n", "")}}) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Visible(Convert(stream + good)), Visible(kText));
    }
}

TEST_F(StreamDecoder, StreamWithPresetDictionaryYieldsNothing) {
    const std::string dictionary = "Hello World Tj Td";
    z_stream zs{};
    ASSERT_EQ(deflateInit(&zs, 6), Z_OK);
    ASSERT_EQ(deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                                   static_cast<uInt>(dictionary.size())),
              Z_OK);
    std::string out(1024, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(kContent.data()));
    zs.avail_in = static_cast<uInt>(kContent.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    EXPECT_EQ(Convert(StreamObject(1, out)), "");
}

TEST_F(StreamDecoder, InflatedSizeIsBoundedByTenTimesTheDataLength) {
    // 2000 bytes of text operators compress to far less than a tenth. zlib ignores bytes after the
    // end of its stream, so padding the data moves the bound without changing the text.
    std::string content = "BT ";
    while (content.size() < 1990)
        content += "(abc) Tj ";
    content.resize(1990);
    content += " ET Q     ";
    ASSERT_EQ(content.size(), 2000u);
    const std::string compressed = Deflate(content);
    ASSERT_LT(compressed.size() * 10, content.size());
    const std::string text = Convert(StreamObject(1, compressed));
    EXPECT_EQ(text, "") << "more than ten times its length: no text at all, not a truncated text";

    const std::size_t exact = content.size() / 10; // 10 x L == inflated size
    const std::string fits = compressed + std::string(exact - compressed.size(), ' ');
    const std::string expected = Convert(StreamObject(1, fits));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(expected.substr(0, 6), "abcabc");
    const std::string oneShort = compressed + std::string(exact - compressed.size() - 1, ' ');
    // The end-of-line before `endstream` is no data: the bound is taken after it is trimmed.
    for (const char* beforeEnd : {"\r\n", "\n", ""}) {
        SCOPED_TRACE(Visible(beforeEnd));
        EXPECT_EQ(Convert(StreamObject(1, oneShort, "\r\n", beforeEnd)), "");
        EXPECT_EQ(Convert(StreamObject(1, fits, "\r\n", beforeEnd)), expected);
    }
}

TEST_F(StreamDecoder, StreamsAreConvertedInFileOrderAndStartFresh) {
    const std::string first = StreamObject(1, Deflate("BT (first) Tj ET Q"));
    const std::string second = StreamObject(2, Deflate("BT (second) Tj ET Q"));
    EXPECT_EQ(Visible(Convert(first + second)), Visible("first\r\nsecond\r\n"));
    // A text object left open at the end of one stream does not continue into the next.
    const std::string open = StreamObject(1, Deflate("BT (unclosed"));
    const std::string plain = StreamObject(2, Deflate("(not in text) Tj ET Q"));
    EXPECT_EQ(Visible(Convert(open + plain)), Visible("unclosed"));
}

TEST_F(StreamDecoder, LoopEndsAtAStreamWithoutEndOrAnEndWithoutStream) {
    const std::string first = StreamObject(1, Deflate("BT (first) Tj ET Q"));
    const std::string second = StreamObject(2, Deflate("BT (second) Tj ET Q"));
    // The last `stream` has no `endstream`: the streams before it stay converted.
    EXPECT_EQ(Visible(Convert(first + "3 0 obj << >> stream\r\n" + Deflate("BT (third) Tj ET Q"))),
              Visible("first\r\n"));
    // An `endstream` with no `stream` before it ends the scan of the file.
    EXPECT_EQ(Visible(Convert(first + "junk endstream junk " + second)), Visible("first\r\n"));
}

TEST_F(StreamDecoder, FileEndingRightAfterEndstreamConvertsItsLastStream) {
    const std::string data = Deflate("BT (last) Tj ET Q");
    EXPECT_EQ(Visible(Convert("stream\r\n" + data + "\r\nendstream")), Visible("last\r\n"));
    EXPECT_EQ(Visible(Convert("stream\n" + data + "endstream")), Visible("last\r\n"));
}

TEST_F(StreamDecoder, TargetIsEmptiedBeforeItIsFilled) {
    const auto target = m_dir / "out.txt";
    WriteBytes(target, "old text that must not survive");
    WriteBytes(m_dir / "in.pdf", MakePdf({"BT (new) Tj ET Q"}));
    EXPECT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", target));
    EXPECT_EQ(Visible(ReadBytes(target)), Visible("new\r\n"));
}

TEST_F(StreamDecoder, LargeOutputIsWrittenCompletely) {
    // Far more text than one output buffer holds.
    std::string content = "BT ";
    std::string expected;
    for (int i = 0; i < 40000; ++i) {
        content += "0 -14 Td (line " + std::to_string(i) + ") Tj ";
        expected += "\r\nline " + std::to_string(i);
    }
    content += "ET Q";
    expected += "\r\n";
    const std::string text = Convert(MakePdf({content}));
    EXPECT_TRUE(SameBytes(text, expected));
}

} // namespace
