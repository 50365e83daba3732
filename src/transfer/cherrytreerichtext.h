#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QXmlStreamReader;

namespace folio {

class ImportLog;

// The formatting of one run of a CherryTree note, as its <rich_text>
// attributes give it.
struct CherryFormat
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool monospace = false;
    QString foreground; // #rrggbb or empty
    QString background;
    QString scale; // h1..h6, small, sup, sub or empty
    QString justification;
    QString link; // the raw link attribute: "webs URL", "node 12", ...
};

// Builds the HTML body of one note: runs of formatted text, with code boxes,
// tables and pictures inserted at their character offsets. Both storage forms
// feed it the same way.
class CherryNoteHtml
{
public:
    void addText(const QString &text, const CherryFormat &format = {});
    // Reads one <rich_text> element (the reader stands on its start).
    void readRun(QXmlStreamReader &xml);
    // `offset` counts characters of the note the way the source does: every
    // earlier insert takes one character.
    void addInsert(qint64 offset, const QString &html, bool block);

    void noteUnknown() { m_unknown = true; }
    bool sawUnknown() const { return m_unknown; }
    bool isEmpty() const { return m_runs.isEmpty() && m_inserts.isEmpty(); }

    QString toHtml() const;
    // For plain-text and code notes: the text alone, in one <pre>.
    QString toPreHtml() const;

private:
    struct Run
    {
        QString text;
        qsizetype format;
    };
    struct Insert
    {
        qint64 offset;
        QString html;
        bool block;
    };

    QList<CherryFormat> m_formats;
    QList<Run> m_runs;
    QList<Insert> m_inserts;
    bool m_unknown = false;
};

// "#rrrrggggbbbb" (16 bits a channel) or "#rrggbb" as "#rrggbb"; empty when
// the value is not a colour.
QString cherryColour(const QString &value);

QString cherryPreHtml(const QString &text);

// The address behind a "webs …" link when it may become an <a href>
// (http, https, mailto, file); empty otherwise.
QString cherryWebTarget(const QString &link);

// Reads a <table> element (the reader stands on its start). The source keeps
// the header row last; it comes out first.
QString cherryTableHtml(QXmlStreamReader &xml);

// A note's rich text stored as an XML document of its own
// (<node><rich_text>…</rich_text></node>). Returns false when the XML breaks
// off; what came before it is in `note` by then.
bool cherryReadNodeXml(const QString &xml, CherryNoteHtml &note);

// A picture, an attached file, a formula or a jump target, as both storage
// forms hold it.
struct CherryEmbedded
{
    qint64 offset = 0;
    QString anchor;
    QString filename;
    QString link;
    QByteArray content; // picture or file bytes; a formula's source text
};

// The source keeps a formula as an attached "file" of one special name.
bool cherryIsFormula(const QString &filename);

// Puts `e` into the note: a picture embedded through the log (a placeholder
// when it is damaged), an attached file reported and named, a formula as its
// source text. `item` names the note in reports.
void cherryAddEmbedded(CherryNoteHtml &note, const CherryEmbedded &e, const QString &item, int &pictures,
                       ImportLog &log);

// The text of broken markup with the tags taken out, for a last resort.
QString cherryStripTags(const QString &markup);

} // namespace folio
