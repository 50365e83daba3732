#include "transfer/exportfolderdialog.h"

#include "widgets/helpcontext.h"
#include "widgets/prompts.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folio {

ExportFolderDialog::ExportFolderDialog(const QString &what, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_target(new QLineEdit(this))
    , m_browse(new QPushButton(QStringLiteral("&Browse..."), this))
    , m_html(new QRadioButton(QStringLiteral("&HTML pages (.htm)"), this))
    , m_markdown(new QRadioButton(QStringLiteral("&Markdown (.md)"), this))
    , m_progress(new QProgressBar(this))
    , m_export(new QPushButton(QStringLiteral("&Export"), this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmExportFolder"));
    setWindowTitle(QStringLiteral("Export Folder"));
    setHelpContext(this, HelpContext::Transfer);
    auto *whatLabel = new QLabel(what, this);
    whatLabel->setObjectName(QStringLiteral("lblExportWhat"));
    whatLabel->setWordWrap(true);
    m_target->setObjectName(QStringLiteral("txtExportTarget"));
    m_target->setText(QDir::toNativeSeparators(QDir::homePath()));
    m_browse->setObjectName(QStringLiteral("cmdBrowse"));
    m_html->setObjectName(QStringLiteral("optExportHtml"));
    m_markdown->setObjectName(QStringLiteral("optExportMarkdown"));
    m_html->setChecked(true);
    m_progress->setObjectName(QStringLiteral("prgExport"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    m_export->setObjectName(QStringLiteral("cmdExport"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_export->setDefault(true);

    auto *formats = new QGroupBox(QStringLiteral("Write documents as"), this);
    auto *formatLayout = new QVBoxLayout(formats);
    formatLayout->addWidget(m_html);
    formatLayout->addWidget(m_markdown);
    auto *targetLabel = new QLabel(QStringLiteral("Into the &folder:"), this);
    targetLabel->setBuddy(m_target);
    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(m_target, 1);
    targetRow->addWidget(m_browse);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(whatLabel);
    layout->addWidget(targetLabel);
    layout->addLayout(targetRow);
    layout->addWidget(formats);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_browse, &QPushButton::clicked, this, [this] {
        if (!m_prompts.folder)
            return;
        if (const auto chosen = m_prompts.folder->chooseFolder(QStringLiteral("Export Folder"), target(), this))
            m_target->setText(QDir::toNativeSeparators(*chosen));
    });
    connect(m_export, &QPushButton::clicked, this, [this] {
        if (!target().isEmpty())
            Q_EMIT exportRequested();
    });
    connect(m_cancel, &QPushButton::clicked, this, &ExportFolderDialog::reject);
    connect(m_target, &QLineEdit::textChanged, this, &ExportFolderDialog::updateButtons);
    updateButtons();
    resize(480, sizeHint().height());
}

ExportFormat ExportFolderDialog::format() const
{
    return m_markdown->isChecked() ? ExportFormat::Markdown : ExportFormat::Html;
}

void ExportFolderDialog::setFormat(ExportFormat format)
{
    (format == ExportFormat::Markdown ? m_markdown : m_html)->setChecked(true);
}

QString ExportFolderDialog::target() const
{
    return m_target->text().trimmed();
}

void ExportFolderDialog::setTarget(const QString &path)
{
    m_target->setText(path);
}

void ExportFolderDialog::setRunning(bool running)
{
    m_running = running;
    for (QWidget *w : {static_cast<QWidget *>(m_target), static_cast<QWidget *>(m_browse),
                       static_cast<QWidget *>(m_html), static_cast<QWidget *>(m_markdown)})
        w->setEnabled(!running);
    m_progress->setVisible(running);
    m_progress->setValue(0);
    updateButtons();
}

void ExportFolderDialog::setProgress(int percent)
{
    m_progress->setValue(percent);
}

void ExportFolderDialog::reject()
{
    if (m_running) {
        m_cancel->setEnabled(false);
        Q_EMIT cancelRequested();
        return;
    }
    QDialog::reject();
}

void ExportFolderDialog::updateButtons()
{
    m_export->setEnabled(!m_running && !target().isEmpty());
    m_cancel->setEnabled(true);
}

} // namespace folio
