#pragma once

#include "transfer/folderexport.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace folio {

struct Prompts;

// "Export Folder...": where to write, HTML or Markdown, and while it is
// written the progress with a way to cancel.
class ExportFolderDialog : public QDialog
{
    Q_OBJECT
public:
    // `what` names the folder being exported (or the whole knowledge base).
    ExportFolderDialog(const QString &what, Prompts &prompts, QWidget *parent);

    ExportFormat format() const;
    void setFormat(ExportFormat format);
    QString target() const;
    void setTarget(const QString &path);
    void setRunning(bool running);
    void setProgress(int percent);

Q_SIGNALS:
    void exportRequested();
    void cancelRequested();

protected:
    void reject() override;

private:
    void updateButtons();

    Prompts &m_prompts;
    QLineEdit *m_target;
    QPushButton *m_browse;
    QRadioButton *m_html;
    QRadioButton *m_markdown;
    QProgressBar *m_progress;
    QPushButton *m_export;
    QPushButton *m_cancel;
    bool m_running = false;
};

} // namespace folio
