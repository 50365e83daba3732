#pragma once

#include "transfer/importrun.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace folio {

struct Prompts;

// "Import...": which kind of source, where it is, and while it is read
// the progress with a way to cancel.
class ImportDialog : public QDialog
{
    Q_OBJECT
public:
    ImportDialog(Prompts &prompts, QWidget *parent);

    ImportKind kind() const;
    void setKind(ImportKind kind);
    QString source() const;
    void setSource(const QString &path);
    // While running only Cancel can be used, and closing the window cancels.
    void setRunning(bool running);
    void setProgress(int percent);

Q_SIGNALS:
    void importRequested();
    void cancelRequested();

protected:
    void reject() override;

private:
    void browse();
    void updateButtons();

    Prompts &m_prompts;
    QButtonGroup *m_kinds;
    QLineEdit *m_source;
    QPushButton *m_browse;
    QProgressBar *m_progress;
    QLabel *m_status;
    QPushButton *m_import;
    QPushButton *m_cancel;
    bool m_running = false;
};

} // namespace folio
