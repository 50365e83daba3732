#pragma once

#include <QString>

namespace folio {

// The text a reader sees in an HTML page, without the markup: tags,
// comments, the head, style and script contents are dropped, character
// references are decoded, a no-break space becomes a blank and an image
// becomes U+FFFC, as in QTextDocument::toPlainText(). Block boundaries
// (paragraphs, list items, line breaks, table cells) become a line break,
// so words of two paragraphs never run together. A tab becomes a blank, a
// line break of the source a blank between words and nothing beside a
// block boundary, the way the page is shown.
// Fast enough to run over every page of a large knowledge base.
QString visibleText(QStringView html);

// The form in which texts are stored and compared for searching: every
// character replaced by its Unicode simple case folding (so Ä and ä, Σ, σ
// and ς compare equal), which keeps the length and matches what
// Qt::CaseInsensitive compares, and a no-break space made a blank.
QString searchFold(QStringView text);

} // namespace folio
