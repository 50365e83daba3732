#include "runner/benchcases.h"

#include "runner/documentbench.h"
#include "runner/filebench.h"
#include "runner/historybench.h"
#include "runner/pagebench.h"
#include "runner/searchbench.h"
#include "runner/spellingbench.h"
#include "runner/startupbench.h"
#include "runner/transferbench.h"
#include "runner/windowbench.h"

namespace folio::bench {

QList<BenchCase> benchCases()
{
    return {
        {QStringLiteral("startup"), measureStartup},
        {QStringLiteral("tree"), measureTreeLoad},
        {QStringLiteral("expand"), measureTreeExpand},
        {QStringLiteral("switch"), measureFolderSwitch},
        {QStringLiteral("document"), measureDocumentOpenSave},
        {QStringLiteral("pictures"), measurePictures},
        {QStringLiteral("spelling"), measureSpelling},
        {QStringLiteral("pages"), measureHostilePages},
        {QStringLiteral("history"), measureHistory},
        {QStringLiteral("search"), measureSearch},
        {QStringLiteral("file"), measureFileOperations},
        {QStringLiteral("transfer"), measureTransfer},
    };
}

} // namespace folio::bench
