#pragma once

#include "widgets/commands.h"

#include <QObject>
#include <QPointer>

namespace folio {

class AboutBox;
class HelpWindow;
class MainWindow;
class UpdateWindow;

// The Help menu and the new-version check: "&Help" (and F1 anywhere) opens
// the manual at the topic of the focused control, else of its window;
// "&Bug Report" opens the feedback page in the browser; "&About" and
// "&Check New Version" show their window, one of each at most.
class HelpActions : public QObject
{
    Q_OBJECT
public:
    // Gives the main window's controls their help context numbers.
    explicit HelpActions(MainWindow &window);

    QList<CommandBinding> bindings();

    // The help window at `topic` (0: the contents page).
    void showHelp(int topic);
    // The help window at the topic of `widget` or of its nearest parent
    // that has one.
    void showHelpFor(const QWidget *widget);
    void showAbout();
    void checkNewVersion();
    void reportBug();

    HelpWindow *helpWindow() const;

protected:
    // F1 in the program's other windows, which the main window's shortcut
    // does not reach.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void assignHelpContexts();
    void present(QWidget *window);

    MainWindow &m_window;
    QPointer<HelpWindow> m_help;
    QPointer<AboutBox> m_about;
    QPointer<UpdateWindow> m_update;
};

} // namespace folio
