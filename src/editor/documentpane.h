#pragma once

#include "storage/types.h"

#include <QFrame>
#include <functional>

class QToolBar;

namespace folio {

struct AppContext;
class FontBoxes;
class FormattingBar;
class HtmlEditor;
class TitleBox;

// The document pane (lower right): the editor cool bar with the save and
// cancel keys, the title box and the formatting bar, above the editor. It
// shows one document read-only (browse mode) or lets the user write a new
// one or revise the shown one (edit mode).
class DocumentPane : public QFrame
{
    Q_OBJECT
public:
    static constexpr int Stored = 0;
    static constexpr int Refused = 1;

    DocumentPane(AppContext &context, QWidget *parent = nullptr);

    HtmlEditor *editor() const { return m_editor; }
    TitleBox *titleBox() const { return m_title; }
    QWidget *coolBar() const { return m_coolBar; }
    QToolBar *saveCancelBar() const { return m_saveCancel; }
    FormattingBar *formattingBar() const { return m_formatting; }
    FontBoxes &fontBoxes() const { return *m_fonts; }

    // Whether the document list has a selected entry: revising needs one.
    void setListSelectionQuery(std::function<bool()> query) { m_listHasSelection = std::move(query); }

    // Reads a document into the pane; a number without a row leaves the
    // pane as it is.
    void loadDocument(DocNum num);
    // Stores the pane's document; Refused (with a notice) when a new
    // document has no folder or no title or too long a title, or when the
    // store failed. The pane is not changed either way.
    int saveDocument();
    // 0 browse mode, 1 edit mode; other values do nothing.
    void setEditMode(int mode);
    void newDocument();
    void editDocument();
    // The save and cancel keys.
    bool saveAndBrowse();
    void cancelEditing();
    // In edit mode with changes the user has not saved.
    bool hasUnsavedChanges() const;
    // Asks whether to save unsaved changes before the window closes: false
    // when the window must stay open (the save was refused).
    bool confirmClose();

Q_SIGNALS:
    // The list and the document toolbar are usable (browse) or not (edit).
    void browsingEnabled(bool enabled);
    // The document list should show this folder again.
    void listReloadRequested(folio::DirNum folder);
    // A document was stored: select it in the list.
    void documentStored(folio::DocNum num, const QString &title);

private:
    void buildCoolBar();
    void clearDocument();
    void leaveEditing(bool reloadStored);

    AppContext &m_context;
    QWidget *m_coolBar;
    QToolBar *m_saveCancel;
    TitleBox *m_title;
    HtmlEditor *m_editor;
    FontBoxes *m_fonts;
    FormattingBar *m_formatting;
    std::function<bool()> m_listHasSelection;
    QString m_loadedTitle;
};

} // namespace folio
