#include "transfer/importdialog.h"

#include "widgets/helpcontext.h"
#include "widgets/prompts.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folio {

namespace {

struct KindChoice
{
    ImportKind kind;
    const char *name;
    const char *text;
};

const KindChoice kindChoices[] = {
    {ImportKind::Files, "optImportFiles", "A &folder of HTML, Markdown or text files"},
    {ImportKind::Zim, "optImportZim", "A &Zim notebook (its folder)"},
    {ImportKind::CherryTree, "optImportCherryTree", "A &CherryTree file (.ctb, .ctd)"},
    {ImportKind::Evernote, "optImportEvernote", "An &Evernote export (.enex)"},
};

bool wantsFolder(ImportKind kind)
{
    return kind == ImportKind::Files || kind == ImportKind::Zim;
}

} // namespace

ImportDialog::ImportDialog(Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_kinds(new QButtonGroup(this))
    , m_source(new QLineEdit(this))
    , m_browse(new QPushButton(QStringLiteral("&Browse..."), this))
    , m_progress(new QProgressBar(this))
    , m_status(new QLabel(this))
    , m_import(new QPushButton(QStringLiteral("&Import"), this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import"));
    setHelpContext(this, HelpContext::Transfer);
    auto *kinds = new QGroupBox(QStringLiteral("What to import"), this);
    auto *kindLayout = new QVBoxLayout(kinds);
    for (const KindChoice &choice : kindChoices) {
        auto *option = new QRadioButton(QString::fromUtf8(choice.text), kinds);
        option->setObjectName(QLatin1String(choice.name));
        m_kinds->addButton(option, int(choice.kind));
        kindLayout->addWidget(option);
    }
    m_kinds->button(int(ImportKind::Files))->setChecked(true);

    m_source->setObjectName(QStringLiteral("txtImportSource"));
    m_browse->setObjectName(QStringLiteral("cmdBrowse"));
    m_progress->setObjectName(QStringLiteral("prgImport"));
    m_status->setObjectName(QStringLiteral("lblImportStatus"));
    m_import->setObjectName(QStringLiteral("cmdImport"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    m_status->hide();
    m_import->setDefault(true);

    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_source, 1);
    sourceRow->addWidget(m_browse);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(kinds);
    auto *sourceLabel = new QLabel(QStringLiteral("&Source:"), this);
    sourceLabel->setBuddy(m_source);
    layout->addWidget(sourceLabel);
    layout->addLayout(sourceRow);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_browse, &QPushButton::clicked, this, &ImportDialog::browse);
    connect(m_import, &QPushButton::clicked, this, [this] {
        if (!source().isEmpty())
            Q_EMIT importRequested();
    });
    connect(m_cancel, &QPushButton::clicked, this, &ImportDialog::reject);
    connect(m_source, &QLineEdit::textChanged, this, &ImportDialog::updateButtons);
    // A typed path that clearly is one kind of source chooses that kind.
    connect(m_source, &QLineEdit::textEdited, this, [this] {
        if (const std::optional<ImportKind> kind = evidentImportKind(QDir::fromNativeSeparators(source())))
            setKind(*kind);
    });
    updateButtons();
    resize(520, sizeHint().height());
}

ImportKind ImportDialog::kind() const
{
    return ImportKind(m_kinds->checkedId());
}

void ImportDialog::setKind(ImportKind kind)
{
    m_kinds->button(int(kind))->setChecked(true);
}

QString ImportDialog::source() const
{
    return m_source->text().trimmed();
}

void ImportDialog::setSource(const QString &path)
{
    m_source->setText(path);
}

void ImportDialog::setRunning(bool running)
{
    m_running = running;
    for (QAbstractButton *option : m_kinds->buttons())
        option->setEnabled(!running);
    m_source->setEnabled(!running);
    m_browse->setEnabled(!running);
    m_progress->setVisible(running);
    m_progress->setValue(0);
    m_status->setText(running ? QStringLiteral("Reading %1...").arg(QFileInfo(source()).fileName()) : QString());
    m_status->setVisible(running);
    updateButtons();
}

void ImportDialog::setProgress(int percent)
{
    m_progress->setValue(percent);
    if (percent >= 80)
        m_status->setText(QStringLiteral("Adding to the database..."));
}

void ImportDialog::reject()
{
    if (m_running) {
        m_status->setText(QStringLiteral("Cancelling..."));
        m_cancel->setEnabled(false);
        Q_EMIT cancelRequested();
        return;
    }
    QDialog::reject();
}

void ImportDialog::browse()
{
    const ImportKind chosen = kind();
    std::optional<QString> path;
    if (wantsFolder(chosen) && m_prompts.folder)
        path = m_prompts.folder->chooseFolder(QStringLiteral("Import"), source(), this);
    else if (!wantsFolder(chosen) && m_prompts.openFile) {
        const QStringList filters = chosen == ImportKind::Evernote
            ? QStringList{QStringLiteral("Evernote exports (*.enex)"), QStringLiteral("All Files (*)")}
            : QStringList{QStringLiteral("CherryTree files (*.ctb *.ctd)"), QStringLiteral("All Files (*)")};
        path = m_prompts.openFile->openFileName(QStringLiteral("Import"), filters, this);
    }
    if (path)
        m_source->setText(QDir::toNativeSeparators(*path));
}

void ImportDialog::updateButtons()
{
    m_import->setEnabled(!m_running && !source().isEmpty());
    m_cancel->setEnabled(true);
}

} // namespace folio
