#pragma once

#include "transfer/zimwikiinline.h"

namespace folio {

// A Zim page file's text (header block, then wiki markup) as a document.
// The title is the page's first heading when the page starts with one,
// else `pageName`; that heading is then not repeated in the body. Headings,
// lists, check boxes, tables, verbatim blocks and rules become HTML.
ImportedDocument zimPageDocument(QString text, const QString &pageName, ZimPageContext &ctx);

} // namespace folio
