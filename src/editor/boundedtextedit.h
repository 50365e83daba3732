#pragma once

#include <QTextEdit>

namespace folio {

// The editing control's text view. HTML that is pasted or dropped into it
// goes through the same nesting bounds as a document that is opened
// (HtmlEditor::boundedHtml), so no page copied from a browser or a mail
// can freeze the window either.
class BoundedTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

protected:
    void insertFromMimeData(const QMimeData *source) override;
};

} // namespace folio
