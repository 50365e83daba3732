#pragma once

// Helpers for the editor tests: an editor holding a document, and selecting
// a piece of its text the way a user would.

#include "editor/htmleditor.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace folio::test {

inline std::unique_ptr<HtmlEditor> editorWith(const QString &html, bool browse = false)
{
    auto editor = std::make_unique<HtmlEditor>();
    editor->setBrowseMode(browse);
    editor->setDocumentHtml(html);
    return editor;
}

// Selects the first occurrence of `text`; fails the test when it is missing.
inline bool selectText(HtmlEditor &editor, const QString &text)
{
    QTextEdit *edit = editor.textEdit();
    const QTextCursor found = edit->document()->find(text, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return false;
    edit->setTextCursor(found);
    return true;
}

// Puts the caret (no selection) at `offset` characters into the first
// occurrence of `text`.
inline bool placeCaret(HtmlEditor &editor, const QString &text, int offset)
{
    QTextEdit *edit = editor.textEdit();
    QTextCursor cursor = edit->document()->find(text, 0, QTextDocument::FindCaseSensitively);
    if (cursor.isNull())
        return false;
    cursor.setPosition(cursor.selectionStart() + offset);
    edit->setTextCursor(cursor);
    return true;
}

inline QString plainText(const HtmlEditor &editor)
{
    return editor.textEdit()->toPlainText();
}

} // namespace folio::test
