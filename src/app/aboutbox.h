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
    // `dataDir` is the folder the knowledge base and the settings live in.
    AboutBox(const QString &version, const QString &dataDir, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *m_version;
    QLabel *m_dataDir;
};

} // namespace folio
