#pragma once

#include <QString>

namespace folio {

// The file name proposed for exporting a document with this title: every
// `\` and `/` becomes "-", every ":" becomes "=", control characters
// (NUL, tab, line breaks, ...) become a blank, and ".htm" follows. A name
// too long for the file system (255 bytes of UTF-8) loses the end of the
// title, never part of a character. Everything else is kept as typed.
QString exportFileName(const QString &title);

// `html` as written to an export file: it declares UTF-8 (the editor's HTML
// does so itself; other HTML gets the declaration first thing in its head).
QString htmlDeclaringUtf8(const QString &html);

// Writes the export file: the HTML as UTF-8, then one line break. The
// bytes go to a temporary file beside `path` that is renamed over it, so a
// failure never leaves a truncated file in its place. Throws StorageError.
void writeHtmlExport(const QString &path, const QString &html);

} // namespace folio
