#include "editor/formattingbar.h"

#include "editor/editcommands.h"
#include "editor/fontboxes.h"
#include "editor/htmlcolor.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "widgets/icons.h"
#include "widgets/picturedata.h"
#include "widgets/prompts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHash>

namespace folio {

namespace {

struct Key
{
    const char *key;
    const char *toolTip;
    int command;  // sent with "do not prompt"; 0: handled here
};

const Key formattingKeys[] = {
    {"Copy", "Copy", EditCommand::Copy},
    {"Paste", "Paste", 0},
    {"Cut", "Cut", EditCommand::Cut},
    {"ToTitle", "Copy to Title", 0},
    {"Find", "Find text", 0},
    {"Undo", "Undo", 0},
    {"Font", "Font", 0},
    {"FontSize", "Font Size", 0},
    {"Bold", "Bold", EditCommand::Bold},
    {"Italic", "Italic", EditCommand::Italic},
    {"Underline", "Underline", EditCommand::Underline},
    {"Color", "Fore Color", 0},
    {"Picture", "Insert Picture", 0},
    {"Bullets", "Bullets", EditCommand::UnorderList},
    {"LeftJustify", "Left Justify", EditCommand::JustifyLeft},
    {"Center", "Center", EditCommand::JustifyCenter},
    {"RightJustify", "Right Justify", EditCommand::JustifyRight},
};

} // namespace

FormattingBar::FormattingBar(HtmlEditor &editor, TitleBox &title, FontBoxes &fonts, QWidget *coolBar,
                             QWidget *parent)
    : QToolBar(parent)
    , m_editor(editor)
    , m_title(title)
    , m_fonts(fonts)
    , m_coolBar(coolBar)
    , m_colors(Prompts::desktop().color)
{
    setObjectName(QStringLiteral("Toolbar4"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    for (const Key &k : formattingKeys) {
        const QString key = QLatin1String(k.key);
        QAction *a = addAction(commandIcon(key), QString::fromUtf8(k.toolTip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf8(k.toolTip));
        connect(a, &QAction::triggered, this, [this, key] { run(key); });
    }
}

const QStringList &FormattingBar::keys()
{
    static const QStringList all = [] {
        QStringList list;
        for (const Key &k : formattingKeys)
            list << QLatin1String(k.key);
        return list;
    }();
    return all;
}

void FormattingBar::run(const QString &key)
{
    for (const Key &k : formattingKeys) {
        if (key == QLatin1String(k.key) && k.command != 0) {
            m_editor.execCommand(k.command, CommandOption::DontPromptUser);
            return;
        }
    }
    if (key == QLatin1String("Paste")) {
        m_editor.execCommand(EditCommand::Paste, CommandOption::DontPromptUser);
        QGuiApplication::clipboard()->clear();
    } else if (key == QLatin1String("ToTitle")) {
        copyToTitle();
    } else if (key == QLatin1String("Find")) {
        m_editor.execCommand(EditCommand::FindText, CommandOption::Default);
    } else if (key == QLatin1String("Undo")) {
        m_editor.execCommand(EditCommand::Undo, CommandOption::Default);
    } else if (key == QLatin1String("Font")) {
        m_fonts.showNameBox(m_coolBar->height());
    } else if (key == QLatin1String("FontSize")) {
        m_fonts.showSizeBox(m_coolBar->height());
    } else if (key == QLatin1String("Color")) {
        chooseColor();
    } else if (key == QLatin1String("Picture")) {
        insertPicture();
    }
}

// The selection becomes the title: line breaks, tabs and other control
// characters are dropped, nothing else changes; the clipboard is emptied.
void FormattingBar::copyToTitle()
{
    m_editor.execCommand(EditCommand::Copy, CommandOption::DontPromptUser);
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

void FormattingBar::chooseColor()
{
    if (!m_colors)
        return;
    const std::optional<quint32> color = m_colors->chooseColor(0, window());
    if (!color)
        return;  // cancelled: nothing applied
    m_editor.execCommand(EditCommand::SetForeColor, CommandOption::DontPromptUser, colorToHtml(*color));
}

} // namespace folio
