#pragma once

#include "transfer/importmodel.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace folio {

// One file attached to a note in an Evernote export: its decoded bytes and
// the MD5 (lowercase hex) by which the note's markup refers to it.
struct EnexResource
{
    QByteArray data;
    QByteArray md5Hex;
    QString mime;
    QString fileName;
    bool damaged = false; // the encoded data could not be decoded
};

// Turns one note's markup (an <en-note> XML document) into an HTML body
// fragment. Pictures among `resources` are embedded through the log; what
// cannot be taken whole is reported under the note's title. Markup that is
// not well-formed is kept as plain paragraphs.
QString enmlToHtml(const QString &enml, const QString &noteTitle, const QList<EnexResource> &resources,
                   ImportLog &log);

} // namespace folio
