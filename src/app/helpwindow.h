#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace folio {

// The manual's page of a help context number; the contents page for 0 or
// a number the manual has no page for.
QString helpTopicFile(int topic);
// Where the manual lives: the "manual" folder of the program folder.
QString manualFolder(const QString &programDir);

// The help window: shows one page of the user manual, by help context
// number, and follows the links between the pages. A missing manual gives
// a message that says where it was looked for.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QString manualDir, QWidget *parent = nullptr);

    void showTopic(int topic);
    int topic() const { return m_topic; }
    QTextBrowser *browser() const { return m_browser; }

private:
    QString m_manualDir;
    QTextBrowser *m_browser;
    int m_topic = 0;
};

} // namespace folio
