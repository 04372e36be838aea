#include "engine/file_io.h"
#include "engine/pdf_text_extractor.h"
#include "engine/temporary_files.h"
#include "engine/text_job.h"
#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kPdf = pagewright::pdfgen::MakePdf({"BT (kept) Tj ET Q"});
const std::string kEarlier = "text of an earlier run\r\n";

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A symbolic link, where the system lets this process make one (Windows needs a privilege or
// developer mode for it, and Wine has none).
bool MakeLink(const fs::path& to, const fs::path& link) {
    std::error_code ec;
    fs::create_symlink(to, link, ec);
    return !ec;
}

#ifdef _WIN32
const char* const kNullDevice = "NUL";
const char* const kZeroDevice = "NUL";
#else
const char* const kNullDevice = "/dev/null";
const char* const kZeroDevice = "/dev/zero";
#endif

class ConvertFileFailures : public ::testing::Test {
protected:
    TempDir m_dir;
    const CPdfTextExtractor m_engine;
    std::string m_reason;
};

// Every failure leaves the target exactly as it was and adds no file anywhere.
TEST_F(ConvertFileFailures, FailureLeavesTheEarlierTextAndCreatesNothing) {
    struct Case {
        const char* name;
        // False: the case cannot be set up on this system (no symbolic links).
        std::function<bool(const fs::path& dir)> prepare;
        std::string source; // relative to the case's folder, or a device
        std::string target;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"missing source", {}, "gone.pdf", "out.txt", "cannot open the PDF: No such file or directory"},
        {"folder as source", [](const fs::path& d) { return fs::create_directory(d / "folder.pdf"); },
         "folder.pdf", "out.txt", "the PDF is a folder, not a regular file"},
        {"device as source", {}, kNullDevice, "out.txt", "the PDF is a device, not a regular file"},
        {"link to a device as source", [](const fs::path& d) { return MakeLink(kZeroDevice, d / "z.pdf"); },
         "z.pdf", "out.txt", "the PDF is a device, not a regular file"},
        {"folder as target", [](const fs::path& d) { return fs::create_directory(d / "taken.txt"); },
         "in.pdf", "taken.txt", "the text file is a folder, not a regular file"},
        {"link to a device as target",
         [](const fs::path& d) { return MakeLink(kNullDevice, d / "null.txt"); }, "in.pdf", "null.txt",
         "the text file is a device, not a regular file"},
        {"missing folder of the target",
         {},
         "in.pdf",
         "no-such-folder/out.txt",
         "cannot create the text file: No such file or directory"},
        {"NUL byte in the source's name",
         {},
         std::string("in.pdf\0x", 8),
         "out.txt",
         "the file name holds a NUL byte"},
        {"NUL byte in the target's name",
         {},
         "in.pdf",
         std::string("victim\0.txt", 11),
         "the file name holds a NUL byte"},
        // Only PDFs are converted: anything else named .pdf would give an empty text.
        {"empty file as source", [](const fs::path& d) { return WriteBytes(d / "e.pdf", ""), true; }, "e.pdf",
         "out.txt", "not a PDF file"},
        {"picture as source",
         [](const fs::path& d) {
             return WriteBytes(d / "p.pdf", "\x89PNG\r\n\x1a\n" + std::string(2000, 'x')), true;
         },
         "p.pdf", "out.txt", "not a PDF file"},
        {"header past the first 1,024 bytes",
         [](const fs::path& d) { return WriteBytes(d / "late.pdf", std::string(1020, ' ') + kPdf), true; },
         "late.pdf", "out.txt", "not a PDF file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        WriteBytes(dir / "in.pdf", kPdf);
        WriteBytes(dir / "out.txt", kEarlier);
        WriteBytes(dir / "victim", kEarlier);
        if (c.prepare && !c.prepare(dir.Path())) {
            std::printf("not tried on this system (no symbolic links): %s\n", c.name);
            continue;
        }
        const std::set<std::string> before = Names(dir.Path());
        const bool device = c.source == kNullDevice || c.source == kZeroDevice;
        const fs::path source = device ? fs::path(c.source) : dir / c.source;
        m_reason.clear();
        EXPECT_FALSE(m_engine.ConvertFile(source, dir / c.target, &m_reason));
        EXPECT_EQ(m_reason, c.reason);
        EXPECT_EQ(ReadBytes(dir / "out.txt"), kEarlier);
        EXPECT_EQ(ReadBytes(dir / "victim"), kEarlier);
        EXPECT_EQ(ReadBytes(dir / "in.pdf"), kPdf);
        EXPECT_EQ(Names(dir.Path()), before);
    }
    // A header that starts within the first 1,024 bytes is a PDF's.
    WriteBytes(m_dir / "late.pdf", std::string(1019, ' ') + kPdf);
    EXPECT_TRUE(m_engine.ConvertFile(m_dir / "late.pdf", m_dir / "late.txt", &m_reason)) << m_reason;
}

TEST_F(ConvertFileFailures, TargetNamingTheSourceOrAnotherSourceOfTheRunIsRefused) {
    const auto source = m_dir / "same.pdf";
    WriteBytes(source, kPdf);
    fs::create_directory(m_dir / "sub");
    fs::create_hard_link(source, m_dir / "hard.txt");
    std::vector<fs::path> targets = {source, m_dir / "sub" / ".." / "same.pdf", m_dir / "hard.txt"};
    if (MakeLink(source, m_dir / "link.txt"))
        targets.push_back(m_dir / "link.txt");
    for (const fs::path& target : targets) {
        SCOPED_TRACE(target.string());
        m_reason.clear();
        EXPECT_FALSE(m_engine.ConvertFile(source, target, &m_reason));
        EXPECT_EQ(m_reason, "the text file would overwrite the PDF itself");
        EXPECT_EQ(ReadBytes(source), kPdf);
    }

    // Another source of the same run, reached by its own name, a link or another spelling.
    const auto other = m_dir / "other.pdf";
    WriteBytes(other, kPdf);
    // A set filled one by one and in one go, with a duplicate and a file that is not there.
    pagewright::io::FileSet run;
    run.Insert(source);
    const std::vector<fs::path> listed = {m_dir / "not-there.pdf", m_dir / "sub" / ".." / "other.pdf",
                                          source};
    run.InsertAll(listed.size(), [&](std::size_t i) { return listed[i]; });
    std::vector<fs::path> otherTargets = {other};
    if (MakeLink(other, m_dir / "other-link.txt"))
        otherTargets.push_back(m_dir / "other-link.txt");
    for (const fs::path& target : otherTargets) {
        SCOPED_TRACE(target.string());
        m_reason.clear();
        EXPECT_FALSE(m_engine.ConvertFile(source, target, &m_reason, &run));
        EXPECT_EQ(m_reason, "the text file would overwrite a PDF of this run");
        EXPECT_EQ(ReadBytes(other), kPdf);
    }
    EXPECT_TRUE(m_engine.ConvertFile(source, m_dir / "not-there.pdf", &m_reason, &run)) << m_reason;
}

#ifndef _WIN32
TEST_F(ConvertFileFailures, ReplacementKeepsThePermissionsAndWritesThroughALink) {
    WriteBytes(m_dir / "in.pdf", kPdf);
    WriteBytes(m_dir / "out.txt", kEarlier);
    ASSERT_EQ(chmod((m_dir / "out.txt").c_str(), 0640), 0);
    ASSERT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "out.txt", &m_reason)) << m_reason;
    EXPECT_EQ(ReadBytes(m_dir / "out.txt"), "kept\r\n");
    struct stat st {};
    ASSERT_EQ(stat((m_dir / "out.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    fs::create_directory(m_dir / "real");
    WriteBytes(m_dir / "real" / "t.txt", kEarlier);
    fs::create_symlink(m_dir / "real" / "t.txt", m_dir / "link.txt");
    ASSERT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "link.txt", &m_reason)) << m_reason;
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.txt"));
    EXPECT_EQ(ReadBytes(m_dir / "real" / "t.txt"), "kept\r\n");
    EXPECT_EQ(Names(m_dir.Path()), (std::set<std::string>{"in.pdf", "out.txt", "link.txt", "real"}));
    EXPECT_EQ(Names(m_dir / "real"), std::set<std::string>{"t.txt"});
}
#endif

#ifndef _WIN32
// Only the temporaries of this host's processes that have ended, owned by this user, are removed.
TEST_F(ConvertFileFailures, StaleTemporariesOfEndedProcessesOfThisHostAreRemoved) {
    // ".pagewright-HOST-PID-SALT-N.tmp": the host's part as this process makes it.
    const std::string own = pagewright::io::TemporaryName();
    const std::string host = own.substr(0, own.find('-', std::string(".pagewright-").size()) + 1);
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string ended = std::to_string(child);
    enum class What { File, Folder, OtherUsersFile };
    struct Case {
        std::string name;
        What what;
        bool removed;
    };
    const bool root = geteuid() == 0;
    const std::vector<Case> cases = {
        {host + ended + "-77-0.tmp", What::File, true},
        {host + ended + "-77-12.tmp", What::File, true},
        {".pagewright-0123456789ab-" + ended + "-77-0.tmp", What::File, false}, // another host's
        {host + "1-77-0.tmp", What::File, false},                               // a process that runs
        {host + std::to_string(getpid()) + "-77-0.tmp", What::File, false},     // this one's
        {host + ended + "-77-0.txt", What::File, false},
        {host + ended + "-x-0.tmp", What::File, false},
        {host + ended + "-77-1.tmp", What::Folder, false},
        // Only root can give a file away; for any other user the file is its own.
        {host + ended + "-77-2.tmp", What::OtherUsersFile, !root},
    };
    for (const Case& c : cases) {
        if (c.what == What::Folder) {
            fs::create_directory(m_dir / c.name);
            continue;
        }
        WriteBytes(m_dir / c.name, "partial");
        if (c.what == What::OtherUsersFile && root) {
            ASSERT_EQ(chown((m_dir / c.name).c_str(), 65534, 65534), 0);
        }
    }
    std::size_t removed = 0;
    for (const Case& c : cases)
        removed += c.removed ? 1 : 0;
    EXPECT_EQ(pagewright::io::RemoveStaleTemporaries(m_dir.Path()), removed);
    for (const Case& c : cases)
        EXPECT_EQ(fs::exists(m_dir / c.name), !c.removed) << c.name;
}
#endif

TEST_F(ConvertFileFailures, ReplacementFileIsInvisibleUntilCommittedAndGoneWhenDropped) {
    using pagewright::io::ReplacementFile;
    for (const auto naming : {ReplacementFile::Naming::Auto, ReplacementFile::Naming::Named}) {
        SCOPED_TRACE(naming == ReplacementFile::Naming::Auto ? "auto" : "named");
        const TempDir dir;
        WriteBytes(dir / "t.txt", kEarlier);
        pagewright::io::TargetInfo info;
        ASSERT_EQ(pagewright::io::InspectTarget(dir / "t.txt", info), 0);
        {
            ReplacementFile dropped;
            ASSERT_EQ(dropped.Create(info, naming), 0);
            std::fputs("partial", dropped.File());
        }
        EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"t.txt"});
        ReplacementFile file;
        ASSERT_EQ(file.Create(info, naming), 0);
        std::fputs("new text", file.File());
        std::fflush(file.File());
        EXPECT_EQ(ReadBytes(dir / "t.txt"), kEarlier);
        EXPECT_EQ(file.Commit(), 0);
        EXPECT_EQ(ReadBytes(dir / "t.txt"), "new text");
        EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"t.txt"});
    }
}

TEST_F(ConvertFileFailures, AJobLeavesItsTextFileAloneUntilCommitAndItsPartsGiveTheWholeText) {
    // A small PDF (its text held in memory) and one large enough to be converted straight into the
    // replacement file; each made whole and in parts of one stream.
    std::vector<std::string> pages;
    for (int p = 0; p < 6; ++p)
        pages.push_back("BT 0 -12 Td (page " + std::to_string(p) + ") Tj ET Q");
    const std::string small = pagewright::pdfgen::MakePdf(pages);
    const std::string large =
        small + "%" + std::string(pagewright::TextJob::kInMemoryPdfSize, 'x') + "\n" + small;
    const auto source = m_dir / "in.pdf";
    const auto target = m_dir / "out.txt";
    for (const std::string* pdf : {&small, &large}) {
        WriteBytes(source, *pdf);
        ASSERT_TRUE(m_engine.ConvertFile(source, m_dir / "reference.txt", &m_reason)) << m_reason;
        const std::string whole = ReadBytes(m_dir / "reference.txt");
        fs::remove(m_dir / "reference.txt");
        for (const bool inParts : {false, true}) {
            SCOPED_TRACE(std::to_string(pdf->size()) + (inParts ? " bytes, in parts" : " bytes, whole"));
            WriteBytes(target, kEarlier);
            const std::set<std::string> before = Names(m_dir.Path());
            for (const bool commit : {false, true}) {
                pagewright::TextJob job;
                ASSERT_TRUE(job.Open(source, target)) << job.Reason();
                if (inParts) {
                    std::vector<pagewright::PdfPart> parts;
                    std::string failure;
                    ASSERT_TRUE(job.Split(
                        1, [&](pagewright::PdfPart&& part) { parts.push_back(part); }, failure))
                        << failure;
                    EXPECT_EQ(parts.size(), pdf == &small ? 6u : 12u);
                    // Converted out of order, appended in order.
                    std::vector<BufferSink> texts(parts.size());
                    pagewright::PartScratch scratch;
                    for (std::size_t k = parts.size(); k-- > 0;)
                        ASSERT_TRUE(job.ConvertPart(parts[k], texts[k], scratch));
                    for (const BufferSink& text : texts)
                        ASSERT_TRUE(job.AppendPart(text));
                    ASSERT_TRUE(job.EndParts());
                } else {
                    ASSERT_TRUE(job.ConvertWhole());
                }
                EXPECT_EQ(ReadBytes(target), kEarlier);
                if (commit) {
                    ASSERT_TRUE(job.Commit()) << job.Reason();
                    EXPECT_EQ(ReadBytes(target), whole);
                }
            }
            EXPECT_EQ(Names(m_dir.Path()), before) << "a dropped job leaves nothing behind";
        }
    }
}

TEST_F(ConvertFileFailures, APdfWithoutTextSucceedsWithANote) {
    // Blanks and line breaks are no text: a hexadecimal string leaves only its line breaks.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0 0 m 100 100 l S", kNoTextFound},
        {"BT 0 -9 Td <4869> Tj ET Q", kNoTextFound},
        {"BT ( ) Tj ET Q", kNoTextFound},
        {"BT (kept) Tj ET Q", ""}};
    for (const auto& [content, note] : cases) {
        WriteBytes(m_dir / "in.pdf", pagewright::pdfgen::MakePdf({content}));
        m_reason = "untouched";
        EXPECT_TRUE(m_engine.ConvertFile(m_dir / "in.pdf", m_dir / "out.txt", &m_reason));
        EXPECT_EQ(m_reason, note) << content;
    }
    EXPECT_EQ(ReadBytes(m_dir / "out.txt"), "kept\r\n");
}

} // namespace
