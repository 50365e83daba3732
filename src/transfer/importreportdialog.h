#pragma once

#include "transfer/importrun.h"

#include <QDialog>

namespace folio {

// The end of an import: what was added, and every part left out with why.
class ImportReportDialog : public QDialog
{
    Q_OBJECT
public:
    ImportReportDialog(const ImportResult &result, const QString &source, QWidget *parent);
};

// "Added 3 folders and 120 documents to "Imported notes"."
QString importSummary(const ImportResult &result);

} // namespace folio
