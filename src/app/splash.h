#pragma once

#include <QWidget>

namespace folio {

// The start-up picture shown while the main window loads (frmStartup).
class Splash : public QWidget
{
    Q_OBJECT
public:
    explicit Splash(const QString &version, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_version;
};

} // namespace folio
