#pragma once

#include <QWidget>

class QLabel;

namespace folio {

// frmAbout, "About Foliokeeper": the program's picture and its version.
// A click anywhere on it closes it.
class AboutBox : public QWidget
{
    Q_OBJECT
public:
    explicit AboutBox(const QString &version, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *m_version;
};

} // namespace folio
