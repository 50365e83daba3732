#include "editor/documentpane.h"

#include "editor/htmleditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace folio {

DocumentPane::DocumentPane(AppContext &context, QWidget *parent)
    : QFrame(parent)
    , m_context(context)
    , m_coolBar(new QWidget(this))
    , m_toolbar3(new QToolBar(m_coolBar))
    , m_title(new QLineEdit(m_coolBar))
    , m_toolbar4(new QToolBar(m_coolBar))
    , m_fontCombo(new QComboBox(this))
    , m_fontSizeCombo(new QComboBox(this))
    , m_editor(new HtmlEditor(this))
{
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::NoFrame);
    m_coolBar->setObjectName(QStringLiteral("CoolBar2"));
    m_toolbar3->setObjectName(QStringLiteral("Toolbar3"));
    m_title->setObjectName(QStringLiteral("txtHTMLTitle"));
    m_title->setToolTip(QStringLiteral("Document Title"));
    m_title->setReadOnly(true);
    m_toolbar4->setObjectName(QStringLiteral("Toolbar4"));
    m_fontCombo->setObjectName(QStringLiteral("FontCombo"));
    m_fontSizeCombo->setObjectName(QStringLiteral("FontSizeCombo"));
    m_fontCombo->hide();
    m_fontSizeCombo->hide();

    auto *bands = new QGridLayout(m_coolBar);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(2);
    bands->addWidget(m_toolbar3, 0, 0);
    bands->addWidget(m_title, 0, 1);
    bands->addWidget(m_toolbar4, 1, 0, 1, 2);
    bands->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_coolBar);
    layout->addWidget(m_editor, 1);
}

} // namespace folio
