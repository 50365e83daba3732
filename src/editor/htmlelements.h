#pragma once

#include <QString>
#include <QStringView>

namespace folio {

// How elements behave when an HTML body is read, by lower-case tag name:
// the groups the nesting pre-pass (htmlnesting.h) needs to follow which
// elements are open.

// Elements that never hold others: they open no level.
bool isVoidElement(QStringView name);
// Elements whose content is text up to their own end tag.
bool isRawTextElement(QStringView name);
// Elements the text control lays out inside a line (b, i, font, span, ...):
// a new paragraph closes them together with the paragraph they are in.
bool isPhrasingElement(const QString &name);
// Elements that stop the search for an open li, dd or dt that a new one
// closes: a list item inside a table cell or a nested list stays where it is.
bool isListScopeBoundary(const QString &name);
// table, tbody, thead, tfoot: what a new row closes back to.
bool isTableSection(const QString &name);
// The tags of a table that go when the table is flattened.
bool isTableFrame(const QString &name);
// The parts of a table that hold text and become blocks when it is flattened.
bool isTableCell(const QString &name);

} // namespace folio
