#pragma once

#include "storage/types.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;
class QTreeWidget;

namespace folio {

struct AppContext;

// frmHistory, "Document History - <title>": the kept versions of one
// document (lstVersions: date kept, title, size, reason), newest first. The
// selected version is shown read-only (txtVersion) with the words the
// current text no longer has struck out and the words it added underlined.
// cmdRestore makes the selected version the current text; the current one
// is kept first, so the restore itself can be undone. Modeless.
class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    enum Column { KeptColumn = 0, TitleColumn = 1, SizeColumn = 2, ReasonColumn = 3 };
    static constexpr int HistNumRole = Qt::UserRole + 1;

    HistoryWindow(AppContext &context, QWidget *parent = nullptr);

    // Lists the versions of `doc` (its history is read again).
    void showDocument(DocNum doc);
    DocNum document() const { return m_doc; }
    // The selected version becomes the current text of the document, after
    // the pane has left an edit; false when nothing happened.
    bool restoreSelected();

private:
    void buildControls();
    void fill();
    void showSelected();
    qint64 selectedVersion() const;

    AppContext &m_context;
    DocNum m_doc = 0;
    QTreeWidget *m_versions = nullptr;
    QTextEdit *m_view = nullptr;
    QLabel *m_legend = nullptr;
    QPushButton *m_restore = nullptr;
};

} // namespace folio
