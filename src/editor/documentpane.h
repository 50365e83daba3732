#pragma once

#include <QFrame>

class QComboBox;
class QLineEdit;
class QToolBar;

namespace folio {

struct AppContext;
class HtmlEditor;

// The document pane (lower right): the editor cool bar with the save and
// cancel keys, the title box and the formatting bar, above the editor.
class DocumentPane : public QFrame
{
    Q_OBJECT
public:
    DocumentPane(AppContext &context, QWidget *parent = nullptr);

    HtmlEditor *editor() const { return m_editor; }
    QLineEdit *titleBox() const { return m_title; }
    QWidget *coolBar() const { return m_coolBar; }
    QToolBar *saveCancelBar() const { return m_toolbar3; }
    QToolBar *formattingBar() const { return m_toolbar4; }

private:
    AppContext &m_context;
    QWidget *m_coolBar;
    QToolBar *m_toolbar3;
    QLineEdit *m_title;
    QToolBar *m_toolbar4;
    QComboBox *m_fontCombo;
    QComboBox *m_fontSizeCombo;
    HtmlEditor *m_editor;
};

} // namespace folio
