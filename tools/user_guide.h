#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// The user guide that the window's Help opens: the README's sections on using Pagewright, made into
// one HTML page at build time, with nothing else to install beside it.

// The part of `markdown` before its first second-level heading ("## "), then the sections whose
// headings are among `titles` (each up to the next second-level heading, its subsections with it),
// in the text's order. Lines of fenced code blocks are never headings. `missing` gets the titles
// that head no section.
QString PickSections(const QString& markdown, const QStringList& titles, QStringList* missing);

struct UserGuide {
    QString html;      // empty when the guide could not be made
    QStringList files; // the images read into it, by their paths
    QString error;     // why it could not be made
};

// `markdown` (GitHub's dialect, read by Qt's Markdown reader) as a page of HTML titled `title`, with
// a list of its second-level headings at the first of them. Images named relative to `base` are
// put into the page as data: addresses, so the page needs no other file; an image that cannot be
// read, or that is of no known type, is an error. Links to files of the source tree (relative
// addresses other than the page's own anchors) become plain text, since those files are not
// installed with the page. Raw HTML in the Markdown is not carried over.
UserGuide MakeUserGuide(const QString& markdown, const QDir& base, const QString& title);
