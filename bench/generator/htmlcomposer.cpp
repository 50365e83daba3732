#include "generator/htmlcomposer.h"

#include "editor/htmleditor.h"
#include "generator/benchrandom.h"
#include "generator/vocabulary.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>

namespace folio::bench {

namespace {

// Stands for one word while a fragment is typed; plain ASCII letters, so the
// editor writes it unchanged.
const QString Slot = QStringLiteral("zqslotqz");
const QString BodyEnd = QStringLiteral("</body></html>");

// The point sizes of the editor's HTML font sizes 1 to 7.
constexpr int PointSizes[] = {8, 10, 12, 14, 18, 24, 36};
const QColor Colours[] = {QColor(0xC0, 0, 0), QColor(0, 0x80, 0), QColor(0, 0, 0xC0), QColor(0x80, 0, 0x80),
                          QColor(0xFF, 0x80, 0), QColor(0x40, 0x40, 0x40)};
const QString Families[] = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                            QStringLiteral("Courier New"), QStringLiteral("Verdana")};

QTextCharFormat chooseRunFormat(BenchRandom &random)
{
    QTextCharFormat format;
    const double roll = random.unit();
    if (roll < 0.62)
        return format;
    if (roll < 0.74)
        format.setFontWeight(QFont::Bold);
    else if (roll < 0.80)
        format.setFontItalic(true);
    else if (roll < 0.83)
        format.setFontUnderline(true);
    else if (roll < 0.91)
        format.setForeground(Colours[random.below(std::size(Colours))]);
    else if (roll < 0.96)
        format.setFontPointSize(PointSizes[random.below(std::size(PointSizes))]);
    else
        format.setFontFamilies({Families[random.below(std::size(Families))]});
    if (random.chance(0.15))
        format.setFontWeight(QFont::Bold);
    return format;
}

// A blank between words, with a comma or a full stop now and then.
QString separator(BenchRandom &random)
{
    const double roll = random.unit();
    return roll < 0.08 ? QStringLiteral(", ") : roll < 0.13 ? QStringLiteral(". ") : QStringLiteral(" ");
}

} // namespace

HtmlComposer::HtmlComposer(const Vocabulary &vocabulary, BenchRandom random, int poolSize)
    : m_vocabulary(vocabulary)
    , m_footer(BodyEnd)
{
    // The program's own editing control, never shown: its document is where
    // the fragments are typed and its HTML is what gets stored.
    HtmlEditor editor;
    QTextDocument *document = editor.textEdit()->document();
    auto typed = [&](const auto &write) {
        document->clear();
        QTextCursor cursor(document);
        write(cursor);
        return editor.documentHtml();
    };
    m_heading = cut(typed([&](QTextCursor &c) {
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        format.setFontPointSize(18);
        c.insertText(Slot, format);
    }));
    m_opening = cut(typed([&](QTextCursor &c) { writeParagraph(c, random, 40); }));
    for (int i = 0; i < poolSize; ++i)
        m_pool.append(cut(typed([&](QTextCursor &c) { writeMixedBlocks(c, random); })));
}

// Splits an editor page into the shared header and the blocks in between,
// and the blocks at the word slots.
HtmlComposer::Fragment HtmlComposer::cut(const QString &page)
{
    const qsizetype bodyTag = page.indexOf(QLatin1String("<body"));
    const qsizetype headerEnd = page.indexOf(QLatin1Char('\n'), bodyTag) + 1;
    const QString header = page.left(headerEnd);
    if (m_header.isEmpty())
        m_header = header;
    Q_ASSERT(header == m_header);
    const QString blocks = page.mid(headerEnd, page.size() - headerEnd - BodyEnd.size());
    Fragment fragment;
    fragment.pieces = blocks.split(Slot);
    fragment.length = blocks.size() - (fragment.pieces.size() - 1) * (Slot.size() - averageWordLength());
    return fragment;
}

qsizetype HtmlComposer::averageWordLength() const
{
    qsizetype total = 0;
    for (const QString &word : m_vocabulary.escapedWords())
        total += word.size();
    return total / std::max<qsizetype>(1, m_vocabulary.escapedWords().size());
}

void HtmlComposer::writeMixedBlocks(QTextCursor &cursor, BenchRandom &random) const
{
    const int blocks = int(random.between(1, 4));
    for (int i = 0; i < blocks; ++i) {
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        // A fragment never starts with a list: two lists meeting where
        // fragments join would be one list to the editor, and the page would
        // no longer be what the editor writes.
        const double roll = i == 0 ? random.unit() * 0.80 : random.unit();
        if (roll < 0.65)
            writeParagraph(cursor, random, int(random.between(8, 70)));
        else if (roll < 0.80)
            writeHeading(cursor, random, int(random.between(2, 7)));
        else
            writeList(cursor, random);
    }
}

void HtmlComposer::writeParagraph(QTextCursor &cursor, BenchRandom &random, int words) const
{
    QTextBlockFormat block;
    const double roll = random.unit();
    if (roll < 0.05)
        block.setAlignment(Qt::AlignHCenter);
    else if (roll < 0.08)
        block.setAlignment(Qt::AlignRight);
    else if (roll < 0.10)
        block.setAlignment(Qt::AlignJustify);
    if (random.chance(0.05))
        block.setIndent(1);
    cursor.setBlockFormat(block);
    writeWords(cursor, random, words);
}

void HtmlComposer::writeHeading(QTextCursor &cursor, BenchRandom &random, int words) const
{
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setFontPointSize(PointSizes[random.between(3, 5)]);
    if (random.chance(0.3))
        format.setForeground(Colours[random.below(std::size(Colours))]);
    for (int i = 0; i < words; ++i)
        cursor.insertText(i == 0 ? Slot : QLatin1Char(' ') + Slot, format);
}

void HtmlComposer::writeList(QTextCursor &cursor, BenchRandom &random) const
{
    static const QTextListFormat::Style Styles[] = {QTextListFormat::ListDisc, QTextListFormat::ListDisc,
                                                    QTextListFormat::ListCircle, QTextListFormat::ListSquare,
                                                    QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha};
    QTextListFormat list;
    list.setStyle(Styles[random.below(std::size(Styles))]);
    list.setIndent(random.chance(0.2) ? 2 : 1);
    cursor.createList(list);
    const int items = int(random.between(2, 7));
    for (int i = 0; i < items; ++i) {
        if (i > 0)
            cursor.insertBlock(cursor.blockFormat(), QTextCharFormat());
        writeWords(cursor, random, int(random.between(2, 14)));
    }
}

// Runs of one to six words share a format.
void HtmlComposer::writeWords(QTextCursor &cursor, BenchRandom &random, int words) const
{
    int written = 0;
    while (written < words) {
        const int run = std::min(words - written, int(random.between(1, 6)));
        QString text;
        for (int i = 0; i < run; ++i) {
            if (i > 0)
                text += separator(random);
            text += Slot;
        }
        written += run;
        cursor.insertText(text, chooseRunFormat(random));
        if (written < words)
            cursor.insertText(separator(random), QTextCharFormat());
    }
}

void HtmlComposer::append(QString &html, const Fragment &fragment, BenchRandom &random,
                          const QStringList &slotWords) const
{
    const QStringList &words = m_vocabulary.escapedWords();
    for (qsizetype i = 0; i < fragment.pieces.size(); ++i) {
        if (i > 0)
            html += i - 1 < slotWords.size() ? slotWords.at(i - 1) : random.pick(words);
        html += fragment.pieces.at(i);
    }
}

QString HtmlComposer::compose(BenchRandom &random, const QString &title, const QStringList &keywords,
                              qsizetype targetLength) const
{
    QString html;
    html.reserve(targetLength + 8192);
    html += m_header;
    append(html, m_heading, random, {title.toHtmlEscaped()});

    // The opening paragraph: random words, the keywords at distinct places.
    const qsizetype slots = m_opening.pieces.size() - 1;
    QStringList words;
    for (qsizetype i = 0; i < slots; ++i)
        words.append(random.pick(m_vocabulary.escapedWords()));
    QList<qsizetype> places;
    for (qsizetype i = 0; i < slots; ++i)
        places.append(i);
    random.shuffle(places);
    for (qsizetype i = 0; i < keywords.size() && i < slots; ++i)
        words[places.at(i)] = keywords.at(i).toHtmlEscaped();
    html += QLatin1Char('\n');
    append(html, m_opening, random, words);

    while (html.size() + m_footer.size() < targetLength) {
        html += QLatin1Char('\n');
        append(html, random.pick(m_pool), random);
    }
    html += m_footer;
    return html;
}

} // namespace folio::bench
