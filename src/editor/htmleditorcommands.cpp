// The numbered commands of the editor: ids, options and states
// (editcommands.h) mapped onto the formatting controller.

#include "editor/htmleditor.h"

#include "editor/formattingcontroller.h"

#include <QColor>
#include <QRegularExpression>

#include <optional>

namespace folio {

namespace {

std::optional<TextCommand> textCommandFor(int id)
{
    using namespace EditCommand;
    switch (id) {
    case Bold: return TextCommand::Bold;
    case Copy: return TextCommand::Copy;
    case Cut: return TextCommand::Cut;
    case FindText: return TextCommand::Find;
    case Font: return TextCommand::FontDialog;
    case Italic: return TextCommand::Italic;
    case JustifyCenter: return TextCommand::AlignCenter;
    case JustifyLeft: return TextCommand::AlignLeft;
    case JustifyRight: return TextCommand::AlignRight;
    case Paste: return TextCommand::Paste;
    case SelectAll: return TextCommand::SelectAll;
    case SetFontName: return TextCommand::FontName;
    case SetFontSize: return TextCommand::FontSize;
    case SetForeColor: return TextCommand::Color;
    case Underline: return TextCommand::Underline;
    case Undo: return TextCommand::Undo;
    case UnorderList: return TextCommand::Bullets;
    default: return std::nullopt;
    }
}

int stateOf(Coverage coverage)
{
    switch (coverage) {
    case Coverage::All:
        return CommandState::Latched;
    case Coverage::Partial:
        return CommandState::Ninched;
    default:
        return CommandState::Enabled;
    }
}

// Colours are given as "#RRGGBB"; names and other forms are refused.
QColor colorArgument(const QVariant &argument)
{
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    const QString text = argument.toString();
    return rgb.match(text).hasMatch() ? QColor(text) : QColor();
}

} // namespace

QVariant HtmlEditor::execCommand(int id, int option, const QVariant &argument)
{
    using namespace EditCommand;
    FormattingController &formatting = *m_formatting;
    switch (id) {
    case GetFontName:
        return formatting.fontFamily().value_or(QString());
    case GetFontSize:
        return formatting.htmlFontSize().value_or(0);
    case SetFontName:
        return formatting.setFontFamily(argument.toString());
    case SetFontSize: {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        return isNumber && formatting.setHtmlFontSize(size);
    }
    case SetForeColor:
        return formatting.setForeColor(colorArgument(argument));
    case FindText:
        formatting.find(argument.toString());
        return true;
    case Font:
        // The command is the font dialog; without it there is nothing to do.
        return option != CommandOption::DontPromptUser && formatting.run(TextCommand::FontDialog);
    default:
        break;
    }
    const std::optional<TextCommand> command = textCommandFor(id);
    return command && formatting.run(*command);
}

int HtmlEditor::queryStatus(int id) const
{
    // One font (or size) over the whole selection is "latched", several
    // are "mixed".
    if (id == EditCommand::GetFontName)
        return m_formatting->fontFamily() ? CommandState::Latched : CommandState::Ninched;
    if (id == EditCommand::GetFontSize)
        return m_formatting->htmlFontSize() ? CommandState::Latched : CommandState::Ninched;
    const std::optional<TextCommand> command = textCommandFor(id);
    if (!command)
        return CommandState::NotSupported;
    if (!m_formatting->isAvailable(*command))
        return CommandState::Disabled;
    return stateOf(m_formatting->coverage(*command));
}

} // namespace folio
