#pragma once

// Helpers shared by the test executables: a program folder in a temporary
// directory, the real main window loaded for it, and a robot that answers
// the message board.

#include "app/mainwindow.h"

#include <QColor>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QTimer>
#include <functional>
#include <memory>

namespace folio::test {

// A fresh program folder holding a copy of the built template.
class ProgramFolder
{
public:
    ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    bool isValid() const { return m_dir.isValid(); }
    // Copies the template into place as KB97.MDB.
    void createDatabase() const;
    // Runs SQL against KB97.MDB through a separate plain connection (as
    // another tool would); fails the test on error.
    void exec(const QString &sql) const;
    void execAll(const QStringList &statements) const;
    // The first column of the first row `sql` returns from KB97.MDB, read
    // over a connection of its own; invalid when there is none.
    QVariant value(const QString &sql) const;

private:
    QTemporaryDir m_dir;
};

// Loads the main window for `folder`, stops the start-up tip and turns the
// board's slide pause off. When the load queued a notice, the window is
// shown without waiting for it, so the test can answer the board. Returns null (and fails via QVERIFY in the
// caller) when loading fails.
std::unique_ptr<MainWindow> openWindow(const ProgramFolder &folder, bool show = true,
                                       Prompts prompts = Prompts::desktop());

// Answers every message the board shows: clicks `button` ("picOK",
// "picYes", "picNo") as soon as the board waits, and records the texts.
class BoardRobot : public QObject
{
    Q_OBJECT
public:
    explicit BoardRobot(MessageBoard &board, QString answer = QStringLiteral("picOK"));
    explicit BoardRobot(MainWindow &window, QString answer = QStringLiteral("picOK"));
    void setAnswer(const QString &button) { m_answer = button; }
    // Answers the next messages with `buttons` in turn, then with the
    // standing answer.
    void answerInTurn(QStringList buttons) { m_turns = std::move(buttons); }
    // Runs as each message is seen, before it is answered.
    std::function<void()> beforeAnswer;
    const QStringList &messages() const { return m_messages; }
    // The text colour of each message answered.
    const QList<QColor> &colors() const { return m_colors; }
    QString lastMessage() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }
    void clear()
    {
        m_messages.clear();
        m_colors.clear();
    }
    // Processes events until `count` messages have been answered or the time is up.
    bool waitForMessages(int count, int timeoutMs = 5000);

private:
    void poll();
    MessageBoard &m_board;
    QString m_answer;
    QStringList m_turns;
    QStringList m_messages;
    QList<QColor> m_colors;
    QTimer m_timer;
};

// Clicks a picture-box button (picOK, picYes, picNo, ...) of a widget tree.
void clickNamed(QWidget *root, const QString &name);

} // namespace folio::test
