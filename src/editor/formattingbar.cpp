#include "editor/formattingbar.h"

#include "editor/fontboxes.h"
#include "editor/formattingcontroller.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "widgets/icons.h"
#include "widgets/picturedata.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace folio {

FormattingBar::FormattingBar(HtmlEditor &editor, TitleBox &title, FontBoxes &fonts, QWidget *coolBar,
                             QWidget *parent)
    : QToolBar(parent)
    , m_editor(editor)
    , m_title(title)
    , m_fonts(fonts)
    , m_coolBar(coolBar)
{
    setObjectName(QStringLiteral("Toolbar4"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    const FormattingController &formatting = editor.formatting();
    place(formatting.action(TextCommand::Copy));
    place(formatting.action(TextCommand::Paste));
    place(formatting.action(TextCommand::Cut));
    addKey("ToTitle", "Copy to Title", &FormattingBar::copyToTitle);
    place(formatting.action(TextCommand::Find));
    place(formatting.action(TextCommand::Undo));
    m_fontBox = addKey("Font", "Font", &FormattingBar::showNameBox);
    addKey("FontSize", "Font Size", &FormattingBar::showSizeBox);
    place(formatting.action(TextCommand::Bold));
    place(formatting.action(TextCommand::Italic));
    place(formatting.action(TextCommand::Underline));
    place(formatting.action(TextCommand::Color));
    addKey("Picture", "Insert Picture", &FormattingBar::insertPicture);
    place(formatting.action(TextCommand::Bullets));
    place(formatting.action(TextCommand::AlignLeft));
    place(formatting.action(TextCommand::AlignCenter));
    place(formatting.action(TextCommand::AlignRight));
}

void FormattingBar::setColorChooser(std::shared_ptr<ColorChooser> chooser)
{
    m_editor.formatting().setColorChooser(std::move(chooser));
}

// The keys never show a pressed state, whatever the selection's format: a
// toggle of the controller goes on the bar as a plain key that runs it and
// is enabled while it is.
void FormattingBar::place(QAction *action)
{
    if (action->isCheckable()) {
        auto *key = new QAction(action->text(), this);
        key->setObjectName(action->objectName());
        key->setToolTip(action->toolTip());
        key->setEnabled(action->isEnabled());
        connect(action, &QAction::enabledChanged, key, &QAction::setEnabled);
        connect(key, &QAction::triggered, action, &QAction::trigger);
        action = key;
    }
    action->setIcon(commandIcon(action->objectName()));
    addAction(action);
}

QAction *FormattingBar::addKey(const char *key, const char *toolTip, void (FormattingBar::*handler)())
{
    auto *action = new QAction(QString::fromUtf8(toolTip), this);
    action->setObjectName(QLatin1String(key));
    action->setToolTip(action->text());
    connect(action, &QAction::triggered, this, handler);
    place(action);
    return action;
}

void FormattingBar::showNameBox()
{
    m_fonts.showNameBox(m_coolBar->height());
}

void FormattingBar::showSizeBox()
{
    m_fonts.showSizeBox(m_coolBar->height());
}

// The selection becomes the title: line breaks, tabs and other control
// characters are dropped, nothing else changes; the clipboard is emptied.
void FormattingBar::copyToTitle()
{
    m_editor.formatting().run(TextCommand::Copy);
    const QString text = QGuiApplication::clipboard()->text();
    QString title;
    title.reserve(qMin<qsizetype>(text.size(), TitleBox::MaxLength));
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c != QChar::ParagraphSeparator && c != QChar::LineSeparator
            && c != QChar::ObjectReplacementCharacter)  // a picture
            title += c;
        if (title.size() > TitleBox::MaxLength)
            break;  // the title rule cuts the rest anyway
    }
    m_title.clear();
    m_title.appendText(title);
    QGuiApplication::clipboard()->clear();
}

void FormattingBar::insertPicture()
{
    if (!m_openFile)
        return;
    const std::optional<QString> path =
        m_openFile->openFileName(QStringLiteral("Insert Picture"), {pictureFileFilter()}, window());
    if (path)
        m_editor.insertPictureFile(*path);
}

} // namespace folio
