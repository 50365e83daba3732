#pragma once

#include <QLineEdit>

namespace folio {

// The document title box. A title never holds more than 250 characters,
// however the text arrives (typing, pasting, copying from the document).
class TitleBox : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int MaxLength = 250;

    explicit TitleBox(QWidget *parent = nullptr);

    // Appends text as typed, keeping the length rule.
    void appendText(const QString &text);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applyLengthRule();
};

} // namespace folio
