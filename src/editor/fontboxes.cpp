#include "editor/fontboxes.h"

#include "editor/formattingcontroller.h"
#include "editor/htmleditor.h"
#include "session/appstate.h"
#include "widgets/twips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

namespace folio {

namespace {

QComboBox *makeBox(const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    // The user may type into the box, but only a choice from the list is applied.
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->hide();
    return box;
}

} // namespace

FontBoxes::FontBoxes(HtmlEditor &editor, AppState &state, QWidget *pane)
    : QObject(pane)
    , m_formatting(editor.formatting())
    , m_state(state)
    , m_name(makeBox(QStringLiteral("FontCombo"), pane))
    , m_size(makeBox(QStringLiteral("FontSizeCombo"), pane))
{
    m_name->setMinimumWidth(160);
    m_size->setMinimumWidth(60);
    connect(m_name, &QComboBox::activated, this, &FontBoxes::nameChosen);
    connect(m_size, &QComboBox::activated, this, &FontBoxes::sizeChosen);
    for (QComboBox *box : {m_name, m_size}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    connect(&m_formatting, &FormattingController::fontAtCaret, this, &FontBoxes::showFont);
    connect(&editor, &HtmlEditor::documentComplete, this, &FontBoxes::documentComplete);
    connect(&editor, &HtmlEditor::clicked, this, &FontBoxes::hideBoxes);
}

const QStringList &FontBoxes::fontNames()
{
    static const QStringList names = {"Times New Roman", "Arial", "Tahoma", "Courier", "Verdana", "Wingdings"};
    return names;
}

const QStringList &FontBoxes::fontSizes()
{
    static const QStringList sizes = {"1", "2", "3", "4", "5", "6", "7"};
    return sizes;
}

void FontBoxes::fillFontBoxes()
{
    m_state.setEditorReady(false);
    m_name->clear();
    m_name->addItems(fontNames());
    m_name->setCurrentIndex(0);
    nameChosen(0);  // sends nothing yet: the editor is not ready
    m_size->clear();
    m_size->addItems(fontSizes());
    m_size->setCurrentIndex(0);
    sizeChosen(0);
    clearFontBoxes();
}

void FontBoxes::clearFontBoxes()
{
    m_name->setEditText(QString());
    m_size->setEditText(QString());
    setEnabled(false);
}

void FontBoxes::setEnabled(bool enabled)
{
    m_name->setEnabled(enabled);
    m_size->setEnabled(enabled);
}

void FontBoxes::syncFontBoxes()
{
    showFont(m_formatting.fontFamily().value_or(QString()), m_formatting.htmlFontSize().value_or(0));
}

// A mixed selection empties a box but leaves it enabled: the user may
// still choose one font for all of it.
void FontBoxes::showFont(const QString &family, int htmlSize)
{
    m_name->setEditText(family);
    m_name->setEnabled(true);
    m_size->setEditText(htmlSize < 1 ? QString() : QString::number(htmlSize));
    m_size->setEnabled(true);
}

void FontBoxes::documentComplete()
{
    if (!m_state.editorReady()) {
        syncFontBoxes();
        m_size->setCurrentIndex(-1);
    }
    m_state.setEditorReady(true);
}

void FontBoxes::nameChosen(int index)
{
    // In browse mode the editor refuses the name, and nothing changes.
    if (m_state.editorReady() && index >= 0 && index < fontNames().size())
        m_formatting.setFontFamily(fontNames().at(index));
    m_name->hide();
}

void FontBoxes::sizeChosen(int index)
{
    if (m_state.editorReady() && index >= 0)
        m_formatting.setHtmlFontSize(index + 1);
    m_size->hide();
}

void FontBoxes::showNameBox(int coolBarHeight)
{
    showBox(m_name, twips(2000), coolBarHeight);
}

void FontBoxes::showSizeBox(int coolBarHeight)
{
    showBox(m_size, twips(2300), coolBarHeight);
}

void FontBoxes::showBox(QComboBox *box, int left, int top)
{
    box->move(left, top);
    box->show();
    box->raise();
    box->setFocus(Qt::OtherFocusReason);
}

void FontBoxes::hideBoxes()
{
    m_name->hide();
    m_size->hide();
}

// A box that loses the focus hides, except to its own drop-down list.
bool FontBoxes::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QComboBox *box = (watched == m_name || watched == m_name->lineEdit()) ? m_name : m_size;
        if (reason != Qt::PopupFocusReason) {
            // Decide once the focus has landed: it may only be moving
            // between the box and its own text field.
            QTimer::singleShot(0, box, [box] {
                QWidget *focus = QApplication::focusWidget();
                if (focus != box && !box->isAncestorOf(focus) && !box->view()->isVisible())
                    box->hide();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace folio
