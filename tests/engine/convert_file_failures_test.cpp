#include "engine/pdf_text_extractor.h"
#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kPdf = pagewright::pdfgen::MakePdf({"BT (kept) Tj ET Q"});

class ConvertFileFailures : public ::testing::Test {
protected:
    TempDir m_dir;
    const CPdfTextExtractor m_engine;
    std::string m_reason;
};

TEST_F(ConvertFileFailures, MissingSourceFailsAndLeavesAnEmptyTarget) {
    const auto target = m_dir / "out.txt";
    WriteBytes(target, "previous text");
    EXPECT_FALSE(m_engine.ConvertFile(m_dir / "missing.pdf", target, &m_reason));
    EXPECT_NE(m_reason.find("cannot open the PDF"), std::string::npos) << m_reason;
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(ConvertFileFailures, DirectoryAsSourceFails) {
    fs::create_directory(m_dir / "folder.pdf");
    EXPECT_FALSE(m_engine.ConvertFile(m_dir / "folder.pdf", m_dir / "out.txt", &m_reason));
    EXPECT_NE(m_reason.find("cannot read the PDF"), std::string::npos) << m_reason;
}

TEST_F(ConvertFileFailures, TargetThatCannotBeCreatedFailsAndTouchesNothing) {
    WriteBytes(m_dir / "in.pdf", kPdf);
    EXPECT_FALSE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "no-such-folder" / "out.txt", &m_reason));
    EXPECT_NE(m_reason.find("cannot create the text file"), std::string::npos) << m_reason;
    EXPECT_FALSE(fs::exists(m_dir / "no-such-folder"));

    fs::create_directory(m_dir / "taken.txt");
    EXPECT_FALSE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "taken.txt", &m_reason));
    EXPECT_TRUE(fs::is_directory(m_dir / "taken.txt"));
    EXPECT_EQ(ReadBytes(m_dir / "in.pdf"), kPdf);
}

TEST_F(ConvertFileFailures, TargetNamingTheSourceItselfIsRefusedAndTheSourceKept) {
    const auto source = m_dir / "same.pdf";
    WriteBytes(source, kPdf);
    fs::create_directory(m_dir / "sub");
    fs::create_symlink(source, m_dir / "link.txt");
    fs::create_hard_link(source, m_dir / "hard.txt");
    for (const fs::path& target :
         {source, m_dir / "sub" / ".." / "same.pdf", m_dir / "link.txt", m_dir / "hard.txt"}) {
        SCOPED_TRACE(target.string());
        m_reason.clear();
        EXPECT_FALSE(m_engine.ConvertFile(source, target, &m_reason));
        EXPECT_EQ(m_reason, "the text file would overwrite the PDF itself");
        EXPECT_EQ(ReadBytes(source), kPdf);
    }
}

TEST_F(ConvertFileFailures, FullDiskIsAFailure) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    WriteBytes(m_dir / "in.pdf", kPdf);
    EXPECT_FALSE(m_engine.ConvertFile(m_dir / "in.pdf", "/dev/full", &m_reason));
    EXPECT_NE(m_reason.find("cannot write the text file"), std::string::npos) << m_reason;
}

TEST_F(ConvertFileFailures, SuccessLeavesNoReasonAndAPdfWithoutTextStillSucceeds) {
    WriteBytes(m_dir / "in.pdf", pagewright::pdfgen::MakePdf({"0 0 m 100 100 l S"}));
    m_reason = "untouched";
    EXPECT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "out.txt", &m_reason));
    EXPECT_EQ(m_reason, "untouched");
    EXPECT_TRUE(fs::exists(m_dir / "out.txt"));
    EXPECT_EQ(fs::file_size(m_dir / "out.txt"), 0u);
    EXPECT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "out2.txt"));
}

} // namespace
