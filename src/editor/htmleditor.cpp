#include "editor/htmleditor.h"

#include <QVBoxLayout>

namespace folio {

HtmlEditor::HtmlEditor(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QTextEdit(this))
{
    setObjectName(QStringLiteral("DHTMLEdit1"));
    setToolTip(QStringLiteral("Browser/Editor Area"));
    m_edit->setObjectName(QStringLiteral("DHTMLEdit1Text"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setBrowseMode(true);
}

QString HtmlEditor::documentHtml() const
{
    return m_edit->toHtml();
}

void HtmlEditor::setDocumentHtml(const QString &html)
{
    m_edit->setHtml(html);
    Q_EMIT documentComplete();
}

void HtmlEditor::setBrowseMode(bool browse)
{
    m_browseMode = browse;
    m_edit->setReadOnly(browse);
    m_edit->setTextInteractionFlags(browse ? Qt::TextBrowserInteraction : Qt::TextEditorInteraction);
}

} // namespace folio
