#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

namespace folio {

struct DictionaryFile;

// frmSpelling, "Spelling Languages": the installed dictionaries with check
// boxes (lstLanguages); several may be checked, and a word is then right
// when any of them accepts it. cmdOK applies the choice (chosen()),
// cmdCancel leaves it. With no dictionary installed, lblSpellingNote says
// which package to install. Modeless.
class SpellingDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int NameRole = Qt::UserRole + 1;

    SpellingDialog(const QList<DictionaryFile> &available, const QStringList &chosen, QWidget *parent = nullptr);

    QStringList checkedNames() const;

Q_SIGNALS:
    void chosen(const QStringList &names);

private:
    QListWidget *m_list;
    QLabel *m_note;
};

} // namespace folio
