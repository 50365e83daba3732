#include "editor/titlebox.h"

namespace folio {

TitleBox::TitleBox(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("txtHTMLTitle"));
    setToolTip(QStringLiteral("Document Title"));
    // The widget refuses the 251st character itself; the change handler
    // below covers text set from code.
    setMaxLength(MaxLength);
    connect(this, &QLineEdit::textChanged, this, &TitleBox::applyLengthRule);
}

void TitleBox::appendText(const QString &text)
{
    setText(this->text() + text);
}

void TitleBox::focusOutEvent(QFocusEvent *event)
{
    applyLengthRule();
    QLineEdit::focusOutEvent(event);
}

void TitleBox::applyLengthRule()
{
    if (text().size() > MaxLength)
        setText(text().left(MaxLength));
}

} // namespace folio
