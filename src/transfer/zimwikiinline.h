#pragma once

#include "transfer/importmodel.h"

#include <QDir>
#include <QString>
#include <QStringView>

namespace folio {

// What converting one Zim page needs besides its text.
struct ZimPageContext
{
    ImportLog &log;
    QString item;     // the page as named in skip reports
    QDir attachments; // where "./picture.png" of this page lives
    bool unknownReported = false;

    // Reported once per page, however often it occurs.
    void reportUnknown()
    {
        if (!unknownReported)
            log.skip(item, QStringLiteral("unknown construct kept as text"));
        unknownReported = true;
    }
};

// One line of Zim wiki text with its inline markup (bold, italic,
// highlight, strike, sub- and superscript, verbatim, links, web addresses,
// pictures) as HTML. Pictures are embedded through the page's log.
QString zimInlineHtml(QStringView line, ZimPageContext &ctx);

} // namespace folio
