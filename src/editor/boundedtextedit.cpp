#include "editor/boundedtextedit.h"

#include "editor/htmleditor.h"

#include <QMimeData>

namespace folio {

void BoundedTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasHtml() || isReadOnly()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData bounded;
    bounded.setHtml(HtmlEditor::boundedHtml(source->html()));
    if (source->hasText())
        bounded.setText(source->text());
    QTextEdit::insertFromMimeData(&bounded);
}

} // namespace folio
