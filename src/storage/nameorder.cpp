#include "storage/nameorder.h"

#include "storage/rawstatement.h"

#include <QCollator>
#include <QLocale>

namespace folio {

namespace {

QLocale collationLocale()
{
    // The "C" locale compares code points; fall back to the general
    // (English) rules so accented letters sort beside their base letters.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QCollator &collator()
{
    static QCollator instance = [] {
        QCollator c(collationLocale());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return instance;
}

int sqliteCompare(void *, int len1, const void *s1, int len2, const void *s2)
{
    const QStringView a(static_cast<const char16_t *>(s1), len1 / 2);
    const QStringView b(static_cast<const char16_t *>(s2), len2 / 2);
    return compareNames(a, b);
}

} // namespace

int compareNames(QStringView a, QStringView b)
{
    const int r = collator().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

QCollatorSortKey nameSortKey(const QString &name)
{
    return collator().sortKey(name);
}

bool registerNameOrder(QSqlDatabase &db)
{
    sqlite3 *sqlite = sqliteHandle(db);
    if (!sqlite)
        return false;
    return sqlite3_create_collation_v2(sqlite, NameOrderCollation, SQLITE_UTF16, nullptr,
                                       sqliteCompare, nullptr) == SQLITE_OK;
}

} // namespace folio
