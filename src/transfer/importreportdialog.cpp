#include "transfer/importreportdialog.h"

#include "widgets/helpcontext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace folio {

namespace {

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

QString importSummary(const ImportResult &result)
{
    return QStringLiteral("Added %1 and %2 to \"%3\".")
        .arg(counted(result.folders, "folder", "folders"), counted(result.documents, "document", "documents"),
             result.folderName);
}

ImportReportDialog::ImportReportDialog(const ImportResult &result, const QString &source, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportReport"));
    setWindowTitle(QStringLiteral("Import Report"));
    setHelpContext(this, HelpContext::Transfer);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *summary = new QLabel(importSummary(result) + QStringLiteral("\nFrom: ") + source, this);
    summary->setObjectName(QStringLiteral("lblImportSummary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *skippedLabel = new QLabel(result.skipped.isEmpty()
                                        ? QStringLiteral("Nothing was left out.")
                                        : QStringLiteral("Left out or kept only in part (%1):").arg(result.skipped.size()),
                                    this);
    skippedLabel->setObjectName(QStringLiteral("lblSkipped"));
    auto *skipped = new QTreeWidget(this);
    skipped->setObjectName(QStringLiteral("lstSkipped"));
    skipped->setRootIsDecorated(false);
    skipped->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Reason")});
    skipped->setUniformRowHeights(true);
    QList<QTreeWidgetItem *> rows;
    for (const SkippedItem &item : result.skipped) {
        auto *row = new QTreeWidgetItem(QStringList{item.item, item.reason});
        // Long reasons and deep paths are read whole in the tip.
        row->setToolTip(0, item.item);
        row->setToolTip(1, item.reason);
        rows.append(row);
    }
    skipped->addTopLevelItems(rows);
    skipped->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    skipped->setColumnWidth(0, 300);
    skipped->setVisible(!result.skipped.isEmpty());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(skippedLabel);
    layout->addWidget(skipped, 1);
    layout->addWidget(buttons);
    resize(640, result.skipped.isEmpty() ? sizeHint().height() : 420);
}

} // namespace folio
