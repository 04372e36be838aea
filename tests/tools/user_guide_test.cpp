#include "tools/user_guide.h"

#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QString Body(const QString& page) {
    const qsizetype start = page.indexOf("<body>\n");
    const qsizetype end = page.indexOf("</body>");
    return start < 0 || end < start ? QString() : page.mid(start + 7, end - start - 7);
}

TEST(UserGuide, TheIntroductionAndTheChosenSectionsWithTheirSubsections) {
    const QString readme = "# Product\n\nIntro.\n\n"
                           "## Quick start\n\nBuild it.\n\n"
                           "## Using it ##\n\nClick.\n\n```\n## not a heading\n```\n\n### Keys\n\nTab.\n\n"
                           "## Building\n\n~~~\n## Using it\n~~~\n\n"
                           "## Settings\n\nKept.\n";
    QStringList missing;
    EXPECT_EQ(PickSections(readme, {"Settings", "Using it", "Speed"}, &missing),
              "# Product\n\nIntro.\n\n"
              "## Using it ##\n\nClick.\n\n```\n## not a heading\n```\n\n### Keys\n\nTab.\n\n"
              "## Settings\n\nKept.\n\n");
    EXPECT_EQ(missing, QStringList{"Speed"});
}

TEST(UserGuide, MarkdownBecomesPlainHtml) {
    struct Case {
        const char* what;
        QString markdown;
        QString body;
    };
    const std::vector<Case> cases = {
        {"text", "A `c<d>` **b** *i* ~~s~~ & [x](https://e.org/?a&b) [file](docs/F.md) [here](#top)\n",
         "<p>A <code>c&lt;d&gt;</code> <strong>b</strong> <em>i</em> <s>s</s> &amp; "
         "<a href=\"https://e.org/?a&amp;b\">x</a> file <a href=\"#top\">here</a></p>\n"},
        {"code", "```sh\nif a <b; then\n\n  c\nfi\n```\n",
         "<pre><code>if a &lt;b; then\n\n  c\nfi</code></pre>\n"},
        {"lists", "- a\n- b\n  - c\n- d\n\n1. x\n2. y\n",
         "\n<ul>\n<li>a</li>\n<li>b\n<ul>\n<li>c</li>\n</ul>\n</li>\n<li>d</li>\n</ul>\n"
         "\n<ol>\n<li>x</li>\n<li>y</li>\n</ol>\n"},
        {"table", "| A | B |\n|---|---|\n| `a` | b **c** |\n",
         "<table>\n<tr><th>A</th><th>B</th></tr>\n<tr><td><code>a</code></td><td>b "
         "<strong>c</strong></td></tr>\n"
         "</table>\n"},
        {"headings, with the second level's list",
         "# Top\n\nIntro\n\n## One & two\n\nText\n\n## One & two\n\n### Sub\n",
         "<h1 id=\"top\">Top</h1>\n<p>Intro</p>\n"
         "<nav>\n<p><strong>Contents</strong></p>\n<ul>\n<li><a href=\"#one--two\">One &amp; two</a></li>\n"
         "<li><a href=\"#one--two-1\">One &amp; two</a></li>\n</ul>\n</nav>\n"
         "<h2 id=\"one--two\">One &amp; two</h2>\n<p>Text</p>\n<h2 id=\"one--two-1\">One &amp; two</h2>\n"
         "<h3 id=\"sub\">Sub</h3>\n"},
        {"quote and rule", "> said\n\n---\n\nafter\n",
         "<blockquote>\n<p>said</p>\n</blockquote>\n<hr>\n<p>after</p>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const UserGuide guide = MakeUserGuide(c.markdown, QDir("/nonexistent"), "T");
        EXPECT_EQ(guide.error, "");
        EXPECT_EQ(Body(guide.html), c.body);
    }
}

TEST(UserGuide, ThePageNeedsNoOtherFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "docs");
    WriteBytes(dir / "docs" / "shot.png", "PNG bytes");
    WriteBytes(dir / "docs" / "shot.bmp", "BMP bytes");
    const QDir base(QString::fromStdString(dir.Path().string()));

    const UserGuide guide = MakeUserGuide(
        "![The window](docs/shot.png \"Shot\") ![Far](https://e.org/a.png)\n", base, "Product <1.0> & guide");
    EXPECT_EQ(guide.error, "");
    EXPECT_EQ(Body(guide.html), "<p><img src=\"data:image/png;base64,UE5HIGJ5dGVz\" alt=\"The window\" "
                                "title=\"Shot\"> <img src=\"https://e.org/a.png\" alt=\"Far\"></p>\n");
    EXPECT_EQ(guide.files, QStringList{base.filePath("docs/shot.png")});
    EXPECT_TRUE(
        guide.html.startsWith("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"));
    EXPECT_TRUE(guide.html.contains("<title>Product &lt;1.0&gt; &amp; guide</title>"));

    struct Case {
        QString markdown;
        QString error;
    };
    const std::vector<Case> failures = {
        {"![A](docs/gone.png)\n", base.filePath("docs/gone.png") + ": No such file or directory"},
        {"![A](docs/shot.bmp)\n", base.filePath("docs/shot.bmp") + ": an image of no known type"},
    };
    for (const Case& c : failures) {
        const UserGuide failed = MakeUserGuide(c.markdown, base, "T");
        EXPECT_EQ(failed.error, c.error);
        EXPECT_EQ(failed.html, "");
    }
}

} // namespace
