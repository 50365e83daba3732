#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace folio {

// Conversions of one file's bytes into what a document holds. Nothing here
// touches the file system: pictures are resolved through a callback.

// True when the start of the file holds NUL characters, the mark of a
// binary file whatever its name says (UTF-16 text is judged after decoding).
bool looksBinary(const QByteArray &bytes);

// Plain text or Markdown: the byte-order mark decides; without one UTF-8
// when the bytes are valid UTF-8, else Latin-1.
QString decodePlainText(const QByteArray &bytes);

// An HTML page: byte-order mark, else the charset the page declares, else
// as plain text.
QString decodeHtmlPage(const QByteArray &bytes);

// The page's <title>, else its first heading, as plain text; empty when
// neither has any text.
QString pageTitle(const QString &page);

// True for the folder listing that this program writes beside exported
// documents (an index page marked with our generator name).
bool isFolioIndexPage(const QString &page);

// Paragraphs at blank lines, single line breaks kept, everything escaped.
QString plainTextToHtml(const QString &text);

struct MarkdownPage
{
    QString title; // the leading "# " heading's text, empty without one
    QString html; // body fragment
    bool keptAsText = false; // the formatting could not be read whole
};
MarkdownPage markdownToHtml(const QString &markdown);

// Rewrites the src of every <img> for which `resolve` (given the decoded
// src) returns a replacement; other pictures keep their src.
using PictureResolver = std::function<QString(const QString &src)>;
QString replacePictureSources(const QString &html, const PictureResolver &resolve);

} // namespace folio
