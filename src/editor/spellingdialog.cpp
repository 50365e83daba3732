#include "editor/spellingdialog.h"

#include "editor/spellchecker.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace folio {

namespace {

const char *const NoDictionaryText =
    "No spelling dictionary is installed, so spelling is not checked. Install the dictionary of your "
    "language as root, for example for American English:\napt-get install hunspell-en-us\n"
    "and open this window again.";
const char *const ChoiceText =
    "Words are checked as you type in a revision. A word is right when any checked language accepts it.";

} // namespace

SpellingDialog::SpellingDialog(const QList<DictionaryFile> &available, const QStringList &chosen, QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
    , m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSpelling"));
    setWindowTitle(QStringLiteral("Spelling Languages"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list->setObjectName(QStringLiteral("lstLanguages"));
    m_note->setObjectName(QStringLiteral("lblSpellingNote"));
    m_note->setWordWrap(true);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (const DictionaryFile &file : available) {
        auto *item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(dictionaryDisplayName(file.name), file.name),
                                         m_list);
        item->setData(NameRole, file.name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(chosen.contains(file.name) ? Qt::Checked : Qt::Unchecked);
    }
    m_note->setText(QString::fromUtf8(available.isEmpty() ? NoDictionaryText : ChoiceText));
    m_list->setVisible(!available.isEmpty());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!available.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Q_EMIT this->chosen(checkedNames());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(380, available.isEmpty() ? 160 : 340);
}

QStringList SpellingDialog::checkedNames() const
{
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->checkState() == Qt::Checked)
            names << m_list->item(i)->data(NameRole).toString();
    }
    return names;
}

} // namespace folio
