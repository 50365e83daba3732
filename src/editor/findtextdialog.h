#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace folio {

// The editor's find dialog ("frmFindText"): finds text in the document from
// the caret onwards, continues from the top when it reaches the end, and
// selects what it found. Not modal, so the user can go on working beside it.
class FindTextDialog : public QDialog
{
    Q_OBJECT
public:
    FindTextDialog(QTextEdit &target, QWidget *parent = nullptr);

    void setSearchText(const QString &text);
    // Called before each search (the editor puts a page still being read
    // in place).
    void setBeforeSearch(std::function<void()> before) { m_beforeSearch = std::move(before); }

public Q_SLOTS:
    // Selects the next match; returns false when there is none.
    bool findNext();

private:
    void updateButtons();

    QTextEdit &m_target;
    std::function<void()> m_beforeSearch;
    QLineEdit *m_text;
    QCheckBox *m_matchCase;
    QPushButton *m_findNext;
    QLabel *m_status;
};

} // namespace folio
