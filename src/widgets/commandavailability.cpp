#include "widgets/commandavailability.h"

#include <QHash>

namespace folio {

namespace {

struct Availability
{
    bool browse;
    bool edit;
    bool recovering;
    bool busy;
};

const QHash<QString, Availability> &table()
{
    // key                                   browse edit  recovering busy
    static const QHash<QString, Availability> rows = {
        {QStringLiteral("DirAdd"), {true, true, true, false}},
        {QStringLiteral("DirChg"), {true, true, true, false}},
        {QStringLiteral("DirDel"), {true, true, true, false}},
        {QStringLiteral("DbCompact"), {true, true, true, false}},
        {QStringLiteral("DbBackup"), {true, true, true, false}},
        {QStringLiteral("MnuRestoreDb"), {true, true, false, false}},
        {QStringLiteral("MnuRebuildDb"), {true, true, false, false}},
        {QStringLiteral("MnuImport"), {true, false, false, false}},
        {QStringLiteral("MnuExportFolder"), {true, false, true, false}},
        {QStringLiteral("DocAdd"), {true, true, false, false}},
        {QStringLiteral("DocChg"), {true, false, false, false}},
        {QStringLiteral("DocDel"), {true, false, true, false}},
        {QStringLiteral("DocExport"), {true, false, true, false}},
        {QStringLiteral("DocFind"), {true, true, true, false}},
        {QStringLiteral("DocPrt"), {true, true, true, true}},
        {QStringLiteral("DocHistory"), {true, true, true, false}},
        {QStringLiteral("MnuDeletedDocs"), {true, true, true, false}},
        {QStringLiteral("DocSave"), {false, true, false, false}},
        {QStringLiteral("DocCancel"), {false, true, false, false}},
        {QStringLiteral("MnuCheckNewVersion"), {true, true, true, true}},
        {QStringLiteral("MnuSpelling"), {true, true, true, true}},
        {QStringLiteral("MnuDarkColours"), {true, true, true, true}},
        {QStringLiteral("MnuHelp"), {true, true, true, true}},
        {QStringLiteral("MnuBugReport"), {true, true, true, true}},
        {QStringLiteral("MnuAbout"), {true, true, true, true}},
    };
    return rows;
}

} // namespace

bool commandAvailable(const QString &key, CommandMode mode)
{
    const auto row = table().constFind(key);
    if (row == table().cend())
        return true;  // not a command of the table (the formatting keys follow the pane)
    switch (mode) {
    case CommandMode::Browse:
        return row->browse;
    case CommandMode::Edit:
        return row->edit;
    case CommandMode::Recovering:
        return row->recovering;
    case CommandMode::Busy:
        return row->busy;
    }
    return false;
}

} // namespace folio
