#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace folio {

struct AppContext;

// frmDeleted, "Deleted Documents": the documents that were deleted and are
// kept (lstDeleted: title, folder path, date deleted), newest first; the
// selected one's text read-only (txtDeleted); cmdRestoreDeleted puts it
// back into its folder (or, when that is gone, into the top-level folder
// "Restored Documents") under a new number and shows it. Modeless.
class DeletedWindow : public QDialog
{
    Q_OBJECT
public:
    enum Column { TitleColumn = 0, FolderColumn = 1, DeletedColumn = 2 };
    static constexpr int HistNumRole = Qt::UserRole + 1;

    DeletedWindow(AppContext &context, QWidget *parent = nullptr);

    // Reads the deleted documents again.
    void fill();
    // Restores the selected document; false when nothing happened.
    bool restoreSelected();

private:
    void buildControls();
    void showSelected();
    QString folderPath(qint64 dir) const;
    qint64 selectedEntry() const;

    AppContext &m_context;
    QTreeWidget *m_list = nullptr;
    QPlainTextEdit *m_view = nullptr;
    QPushButton *m_restore = nullptr;
};

} // namespace folio
