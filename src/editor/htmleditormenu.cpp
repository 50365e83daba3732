// The text's pop-up menu and spelling in the HTML editor.

#include "editor/htmleditor.h"

#include "editor/formattingcontroller.h"
#include "editor/safetextdocument.h"
#include "editor/spellchecker.h"
#include "editor/spellhighlighter.h"

#include <QAction>
#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>

#include <optional>

namespace folio {

void HtmlEditor::setSpellChecker(SpellChecker *checker)
{
    delete m_spelling;
    m_spelling = checker ? new SpellHighlighter(*m_edit, *checker, this) : nullptr;
    if (m_spelling)
        m_spelling->setActive(!m_browseMode);
}

QMenu *HtmlEditor::textMenu(const QPoint &viewportPoint)
{
    auto *menu = new QMenu(m_edit);
    menu->setObjectName(QStringLiteral("mnuText"));
    if (!m_browseMode && m_spelling)
        addSpellingEntries(menu, m_edit->cursorForPosition(viewportPoint).position());
    const struct
    {
        const char *name;
        const char *text;
        std::optional<TextCommand> command;
    } entries[] = {
        {"mnuCut", "Cu&t", TextCommand::Cut},
        {"mnuCopy", "&Copy", TextCommand::Copy},
        {"mnuPaste", "&Paste", TextCommand::Paste},
        {nullptr, nullptr, std::nullopt},
        {"mnuSelectAll", "Select &All", TextCommand::SelectAll},
        {nullptr, nullptr, std::nullopt},
        {"mnuFont", "&Font...", TextCommand::FontDialog},
    };
    for (const auto &entry : entries) {
        if (!entry.command) {
            menu->addSeparator();
            continue;
        }
        QAction *a = menu->addAction(QString::fromUtf8(entry.text));
        a->setObjectName(QLatin1String(entry.name));
        const bool font = *entry.command == TextCommand::FontDialog;
        // Font opens a chooser: available whenever the text may change.
        a->setEnabled(font ? !m_browseMode : m_formatting->isAvailable(*entry.command));
        QAction *target = font && m_fontAction ? m_fontAction.data() : m_formatting->action(*entry.command);
        connect(a, &QAction::triggered, target, &QAction::trigger);
    }
    return menu;
}

void HtmlEditor::addSpellingEntries(QMenu *menu, int position)
{
    const WordSpan span = m_spelling->misspeltWordAt(position);
    if (span.length == 0)
        return;
    SpellChecker &checker = m_spelling->checker();
    QTextCursor cursor(m_document);
    cursor.setPosition(span.start);
    cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
    const QString word = cursor.selectedText();
    const QStringList suggestions = checker.suggestions(word);
    for (const QString &suggestion : suggestions) {
        QAction *a = menu->addAction(suggestion);
        a->setObjectName(QStringLiteral("mnuSuggestion"));
        connect(a, &QAction::triggered, this,
                [this, span, suggestion] { replaceWord(span.start, span.length, suggestion); });
    }
    if (suggestions.isEmpty()) {
        QAction *none = menu->addAction(QStringLiteral("(no suggestions)"));
        none->setObjectName(QStringLiteral("mnuNoSuggestion"));
        none->setEnabled(false);
    }
    menu->addSeparator();
    QAction *add = menu->addAction(QStringLiteral("Add to &Dictionary"));
    add->setObjectName(QStringLiteral("mnuAddToDictionary"));
    connect(add, &QAction::triggered, this, [this, &checker, word] {
        if (!checker.addToPersonalList(word))
            Q_EMIT personalListFailed(QStringLiteral("\"%1\" could not be added to the word list %2 (%3); it is "
                                                     "accepted until Folio Keeper ends.")
                                          .arg(word, checker.personalListPath(), checker.errorString()));
    });
    QAction *ignore = menu->addAction(QStringLiteral("&Ignore All"));
    ignore->setObjectName(QStringLiteral("mnuIgnoreAll"));
    connect(ignore, &QAction::triggered, this, [&checker, word] { checker.ignoreAll(word); });
    menu->addSeparator();
}

// The word is replaced only if it is still there as it was: the menu may
// have stayed open while the text changed.
void HtmlEditor::replaceWord(int start, int length, const QString &replacement)
{
    if (m_browseMode || start + length >= m_document->characterCount())
        return;
    const WordSpan now = m_spelling ? m_spelling->misspeltWordAt(start) : WordSpan{};
    if (now.start != start || now.length != length)
        return;
    QTextCursor cursor(m_document);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    cursor.insertText(replacement);  // one step to undo
}

} // namespace folio
