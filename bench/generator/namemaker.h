#pragma once

#include <QString>
#include <QStringList>

namespace folio::bench {

class BenchRandom;

// Folder names and document titles as people write them: several scripts,
// apostrophes, straight and typographic quotes, numbers and dates.
class NameMaker
{
public:
    NameMaker();

    QString folderName(BenchRandom &random) const;
    QString title(BenchRandom &random) const;

private:
    QStringList m_folderBases;
    QStringList m_qualifiers;
    QStringList m_titlePatterns;
    QStringList m_subjects;
};

} // namespace folio::bench
