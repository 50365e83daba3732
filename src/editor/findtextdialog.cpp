#include "editor/findtextdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>

namespace folio {

FindTextDialog::FindTextDialog(QTextEdit &target, QWidget *parent)
    : QDialog(parent)
    , m_target(target)
    , m_text(new QLineEdit(this))
    , m_matchCase(new QCheckBox(tr("Match &case"), this))
    , m_findNext(new QPushButton(tr("&Find Next"), this))
    , m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("frmFindText"));
    setWindowTitle(tr("Find Text"));
    setModal(false);
    m_text->setObjectName(QStringLiteral("txtFindText"));
    m_matchCase->setObjectName(QStringLiteral("chkMatchCase"));
    m_findNext->setObjectName(QStringLiteral("cmdFindNext"));
    m_findNext->setDefault(true);
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    auto *close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("cmdFindClose"));

    auto *label = new QLabel(tr("Fi&nd what:"), this);
    label->setBuddy(m_text);
    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1);
    layout->addWidget(m_findNext, 0, 2);
    layout->addWidget(m_matchCase, 1, 1);
    layout->addWidget(close, 1, 2);
    layout->addWidget(m_status, 2, 0, 1, 3);

    connect(m_findNext, &QPushButton::clicked, this, &FindTextDialog::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_text, &QLineEdit::textChanged, this, &FindTextDialog::updateButtons);
    updateButtons();
}

void FindTextDialog::setSearchText(const QString &text)
{
    m_text->setText(text);
    m_text->selectAll();
}

bool FindTextDialog::findNext()
{
    const QString text = m_text->text();
    if (text.isEmpty())
        return false;
    if (m_beforeSearch)
        m_beforeSearch();
    QTextDocument::FindFlags flags;
    if (m_matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    QTextDocument *document = m_target.document();
    // Starts after the current selection, so repeated searches move on.
    QTextCursor found = document->find(text, m_target.textCursor(), flags);
    m_status->clear();
    if (found.isNull()) {
        found = document->find(text, QTextCursor(document), flags);
        if (!found.isNull())
            m_status->setText(tr("Reached the end of the document; continued from the top."));
    }
    if (found.isNull()) {
        m_status->setText(tr("Cannot find \"%1\".").arg(text));
        return false;
    }
    m_target.setTextCursor(found);
    m_target.ensureCursorVisible();
    return true;
}

void FindTextDialog::updateButtons()
{
    m_findNext->setEnabled(!m_text->text().isEmpty());
}

} // namespace folio
