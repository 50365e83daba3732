#pragma once

#include <QLabel>

namespace folio {

// A label used as a button (a caption or a picture): a left press and
// release inside it is a click, and the pointer moving over it is reported.
// A label with a frame looks pressed while the button is held.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    ClickableLabel(const QString &name, QWidget *parent);

Q_SIGNALS:
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setPressed(bool pressed);

    bool m_pressed = false;
};

} // namespace folio
