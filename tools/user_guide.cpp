#include "tools/user_guide.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHash>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <utility>
#include <vector>

namespace {

const QString kStyle = QStringLiteral(
    R"(body { font-family: sans-serif; line-height: 1.5; max-width: 52em; margin: 1em auto; padding: 0 1em; color: #1f1f1f; background: #ffffff; }
h1, h2, h3 { line-height: 1.25; }
h2 { margin-top: 1.6em; border-bottom: 1px solid #d0d0d0; }
code, pre { font-family: monospace; background: #f3f3f3; }
code { padding: 0 0.2em; }
pre { padding: 0.6em 0.8em; overflow-x: auto; }
pre code { padding: 0; }
table { border-collapse: collapse; }
th, td { border: 1px solid #c8c8c8; padding: 0.3em 0.6em; text-align: left; vertical-align: top; }
img { max-width: 100%; }
blockquote { margin-left: 0; padding-left: 1em; border-left: 3px solid #d0d0d0; color: #444444; }
)");

QString SectionTitle(const QString& headingLine) {
    QString title = headingLine.mid(3).trimmed();
    // An ATX heading may close with a run of #.
    static const QRegularExpression kClosing(QStringLiteral("\\s+#+$"));
    return title.remove(kClosing);
}

// The media type of an image by its name's suffix; empty when it is of no known type.
QString ImageType(const QString& path) {
    static const QHash<QString, QString> kTypes = {
        {"png", "image/png"}, {"jpg", "image/jpeg"},    {"jpeg", "image/jpeg"},
        {"gif", "image/gif"}, {"svg", "image/svg+xml"}, {"webp", "image/webp"},
    };
    return kTypes.value(QFileInfo(path).suffix().toLower());
}

// The address a link keeps in the page: absolute ones and the page's own anchors; empty for the
// files of the source tree, which are not installed with it.
QString KeptLink(const QString& href) {
    if (href.startsWith(QLatin1Char('#')))
        return href;
    return QUrl(href).isRelative() ? QString() : href;
}

// GitHub's anchors: lower case, letters, digits, "-" and "_" kept, spaces made "-".
QString Slug(const QString& text) {
    QString slug;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            slug += c;
        else if (c.isSpace())
            slug += QLatin1Char('-');
    }
    return slug;
}

bool IsCode(const QTextBlockFormat& format) {
    return format.hasProperty(QTextFormat::BlockCodeFence) ||
           format.hasProperty(QTextFormat::BlockCodeLanguage);
}

class PageWriter {
public:
    explicit PageWriter(const QDir& base) : m_base(base) {}

    UserGuide Write(const QTextDocument& document, const QString& title) {
        NameHeadings(document);
        Frame(document.rootFrame());
        CloseCode();
        CloseQuote();
        CloseLists(0);
        if (!m_error.isEmpty())
            return {{}, m_files, m_error};
        const QString page =
            QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                           "<title>") +
            title.toHtmlEscaped() + QStringLiteral("</title>\n<style>\n") + kStyle +
            QStringLiteral("</style>\n</head>\n<body>\n") + m_body + QStringLiteral("</body>\n</html>\n");
        return {page, m_files, {}};
    }

private:
    // Every heading's anchor, and the list of the second-level ones.
    void NameHeadings(const QTextDocument& document) {
        QHash<QString, int> used;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            const int level = block.blockFormat().headingLevel();
            if (level == 0)
                continue;
            const QString slug = Slug(block.text());
            const int seen = used[slug]++;
            const QString id = seen == 0 ? slug : slug + QLatin1Char('-') + QString::number(seen);
            m_anchors.insert(block.blockNumber(), id);
            if (level == 2)
                m_contents.emplace_back(id, block.text());
        }
    }

    void Frame(QTextFrame* frame) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                CloseCode();
                CloseQuote();
                CloseLists(0);
                if (auto* table = qobject_cast<QTextTable*>(child))
                    Table(table);
                else
                    Frame(child);
            } else {
                Block(it.currentBlock());
            }
        }
    }

    void Block(const QTextBlock& block) {
        const QTextBlockFormat format = block.blockFormat();
        const bool code = IsCode(format);
        if (!code)
            CloseCode();
        if (format.intProperty(QTextFormat::BlockQuoteLevel) == 0)
            CloseQuote();
        const QTextList* list = block.textList();
        if (!list)
            CloseLists(0);

        if (code) {
            m_body += m_inCode ? QStringLiteral("\n") : QStringLiteral("<pre><code>");
            m_inCode = true;
            m_body += block.text().toHtmlEscaped();
            return;
        }
        if (format.intProperty(QTextFormat::BlockQuoteLevel) > 0 && !m_inQuote) {
            m_body += QStringLiteral("<blockquote>\n");
            m_inQuote = true;
        }
        if (const int level = format.headingLevel(); level > 0) {
            if (level == 2)
                Contents();
            const QString tag = QStringLiteral("h") + QString::number(std::min(level, 6));
            m_body +=
                QStringLiteral("<%1 id=\"%2\">%3</%1>\n")
                    .arg(tag, m_anchors.value(block.blockNumber()).toHtmlEscaped(), Inline(block, true));
            return;
        }
        if (format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            m_body += QStringLiteral("<hr>\n");
            return;
        }
        if (list) {
            ListItem(list);
            m_body += Inline(block, false);
            return;
        }
        const QString text = Inline(block, false);
        if (!text.isEmpty())
            m_body += QStringLiteral("<p>") + text + QStringLiteral("</p>\n");
    }

    // Opens the item of `list`, closing or opening lists so that the open ones lead to it.
    void ListItem(const QTextList* list) {
        const int depth = std::max(1, list->format().indent());
        CloseLists(depth);
        if (static_cast<int>(m_lists.size()) == depth && m_lists.back().first != list)
            CloseLists(depth - 1);
        if (static_cast<int>(m_lists.size()) == depth) {
            m_body += QStringLiteral("</li>\n<li>");
            return;
        }
        const bool ordered = list->format().style() <= QTextListFormat::ListDecimal;
        while (static_cast<int>(m_lists.size()) < depth) {
            m_body += ordered ? QStringLiteral("\n<ol>\n<li>") : QStringLiteral("\n<ul>\n<li>");
            m_lists.emplace_back(list, ordered);
        }
    }

    // Closes the open lists deeper than `depth`.
    void CloseLists(int depth) {
        while (static_cast<int>(m_lists.size()) > depth) {
            m_body +=
                m_lists.back().second ? QStringLiteral("</li>\n</ol>\n") : QStringLiteral("</li>\n</ul>\n");
            m_lists.pop_back();
        }
    }

    void CloseCode() {
        if (m_inCode)
            m_body += QStringLiteral("</code></pre>\n");
        m_inCode = false;
    }

    void CloseQuote() {
        if (m_inQuote)
            m_body += QStringLiteral("</blockquote>\n");
        m_inQuote = false;
    }

    void Contents() {
        if (m_contentsWritten)
            return;
        m_contentsWritten = true;
        m_body += QStringLiteral("<nav>\n<p><strong>Contents</strong></p>\n<ul>\n");
        for (const auto& [id, text] : m_contents)
            m_body += QStringLiteral("<li><a href=\"#%1\">%2</a></li>\n")
                          .arg(id.toHtmlEscaped(), text.toHtmlEscaped());
        m_body += QStringLiteral("</ul>\n</nav>\n");
    }

    void Table(QTextTable* table) {
        // A Markdown table always has its header row.
        m_body += QStringLiteral("<table>\n");
        for (int row = 0; row < table->rows(); ++row) {
            const QString tag = row == 0 ? QStringLiteral("th") : QStringLiteral("td");
            m_body += QStringLiteral("<tr>");
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() != row || cell.column() != column)
                    continue; // covered by a spanning cell
                QStringList blocks;
                for (auto it = cell.begin(); !it.atEnd(); ++it)
                    if (!it.currentFrame())
                        blocks << Inline(it.currentBlock(), row == 0);
                m_body += QStringLiteral("<%1>%2</%1>").arg(tag, blocks.join(QStringLiteral("<br>")));
            }
            m_body += QStringLiteral("</tr>\n");
        }
        m_body += QStringLiteral("</table>\n");
    }

    // The block's text with its emphasis, code, links and images. The weight of a heading, or of a
    // table's header, is not emphasis.
    QString Inline(const QTextBlock& block, bool heading) {
        QString html;
        QString openLink;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const QString link = format.isAnchor() ? KeptLink(format.anchorHref()) : QString();
            if (link != openLink) {
                if (!openLink.isEmpty())
                    html += QStringLiteral("</a>");
                if (!link.isEmpty())
                    html += QStringLiteral("<a href=\"") + link.toHtmlEscaped() + QStringLiteral("\">");
                openLink = link;
            }
            if (format.isImageFormat()) {
                // One character for each image; a run of the same image is one fragment.
                html += Image(format.toImageFormat()).repeated(fragment.length());
                continue;
            }
            QString text = fragment.text().toHtmlEscaped();
            text.replace(QChar::LineSeparator, QStringLiteral("<br>"));
            if (format.fontFixedPitch())
                text = QStringLiteral("<code>") + text + QStringLiteral("</code>");
            if (!heading && format.fontWeight() > QFont::Medium)
                text = QStringLiteral("<strong>") + text + QStringLiteral("</strong>");
            if (format.fontItalic())
                text = QStringLiteral("<em>") + text + QStringLiteral("</em>");
            if (format.fontStrikeOut())
                text = QStringLiteral("<s>") + text + QStringLiteral("</s>");
            html += text;
        }
        if (!openLink.isEmpty())
            html += QStringLiteral("</a>");
        return html;
    }

    QString Image(const QTextImageFormat& format) {
        QString source = format.name();
        const QUrl url(source);
        if (url.isRelative()) {
            const QString path = m_base.filePath(url.path());
            const QString type = ImageType(path);
            QFile file(path);
            if (type.isEmpty()) {
                Fail(QStringLiteral("%1: an image of no known type").arg(path));
                return {};
            }
            if (!file.open(QIODevice::ReadOnly)) {
                Fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
                return {};
            }
            source = QStringLiteral("data:") + type + QStringLiteral(";base64,") +
                     QString::fromLatin1(file.readAll().toBase64());
            m_files << path;
        }
        QString html = QStringLiteral("<img src=\"") + source.toHtmlEscaped() + QStringLiteral("\" alt=\"") +
                       format.stringProperty(QTextFormat::ImageAltText).toHtmlEscaped() +
                       QStringLiteral("\"");
        if (const QString title = format.stringProperty(QTextFormat::ImageTitle); !title.isEmpty())
            html += QStringLiteral(" title=\"") + title.toHtmlEscaped() + QStringLiteral("\"");
        return html + QStringLiteral(">");
    }

    void Fail(const QString& error) {
        if (m_error.isEmpty())
            m_error = error;
    }

    QDir m_base;
    QString m_body;
    QStringList m_files;
    QString m_error;
    QHash<int, QString> m_anchors;                       // by block number
    std::vector<std::pair<QString, QString>> m_contents; // anchor, text
    bool m_contentsWritten = false;
    std::vector<std::pair<const QTextList*, bool>> m_lists; // open lists, outermost first; ordered?
    bool m_inCode = false;
    bool m_inQuote = false;
};

} // namespace

QString PickSections(const QString& markdown, const QStringList& titles, QStringList* missing) {
    QString picked;
    QStringList found;
    bool keep = true; // the part before the first section
    QString fence;    // the fence of the code block the line is in; empty outside one
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!fence.isEmpty()) {
            if (trimmed.startsWith(fence))
                fence.clear();
        } else if (trimmed.startsWith(QStringLiteral("```")) || trimmed.startsWith(QStringLiteral("~~~"))) {
            fence = trimmed.left(3);
        } else if (line.startsWith(QStringLiteral("## "))) {
            const QString title = SectionTitle(line);
            keep = titles.contains(title);
            if (keep)
                found << title;
        }
        if (keep)
            picked += line + QLatin1Char('\n');
    }
    if (missing) {
        missing->clear();
        for (const QString& title : titles)
            if (!found.contains(title))
                *missing << title;
    }
    return picked;
}

UserGuide MakeUserGuide(const QString& markdown, const QDir& base, const QString& title) {
    QTextDocument document;
    // A size in pixels spares the reader, which scales the headings' fonts, from asking for a
    // screen that a build has not got.
    QFont font;
    font.setPixelSize(16);
    document.setDefaultFont(font);
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    return PageWriter(base).Write(document, title);
}
