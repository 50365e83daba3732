#include "generator/namemaker.h"

#include "generator/benchrandom.h"

namespace folio::bench {

namespace {

QStringList lines(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

const char *const FolderBases =
    "Projects\nRecipes\nTravel\nWork notes\nReading list\nInvoices\nGarden\nHealth\nLetters\n"
    "Family\nIdeas\nMeetings\nArchive\nTaxes\nHouse\nCar\nCourses\nPoems\nQuotes\nSoftware\n"
    "Mom's recipes\nBob's \"best\" ideas\nO'Neill & Sons\n'Someday' list\n"
    "Projets d’été\nCuisine française\nÜbersicht\nLektüre für Ärzte\nRecetas de la abuela\n"
    "Έγγραφα\nΙστορία\nΣυνταγές\nΤαξίδια «Ελλάδα»\n"
    "Проекты\nРецепты\nЗаметки «разное»\nПутешествия\nДокументы\n"
    "読書メモ\n会議\n旅行の写真\n笔记\n项目计划\n文件\n"
    "Kraków 2019\nSão Paulo\nØkonomi\nÅrsrapport\n";

const char *const Qualifiers =
    " (old)\n (2019)\n (2021)\n – draft\n №2\n №3\n v1\n — copy\n \"misc\"\n ‘keep’\n 2024\n (бывш.)\n (τελικό)\n（旧）\n";

const char *const TitlePatterns =
    "Notes on %1\n%1 — summary\nMeeting about %1\nTo do: %1 and %2\n%1's checklist\n"
    "\"%1\" revisited\nWhy %1 matters\nRe: %1\nDraft: %2 for %1\n"
    "Compte rendu : %1\nIdées pour l’été : %1\nNotizen zu %1\n"
    "Σημειώσεις για %1\nΤο %1 του %2\n"
    "Заметка о «%1»\nПлан: %1 и %2\n"
    "%1についてのメモ\n关于%1的笔记\n";

const char *const Subjects =
    "the garden\nthe budget\nthe trip to Lyon\nthe kitchen\nthe printer\nthe backup\nthe new server\n"
    "Anna's birthday\nthe O'Brien contract\nchapter 7\nthe \"big\" release\nweek 42\nthe harbour\n"
    "café au lait\ncrème brûlée\nÜbungen\nla mañana\nβιβλίο\nθάλασσα\nпроект\nотчёт\nкнига\n"
    "図書館\n東京\n项目\n会议\n";

} // namespace

NameMaker::NameMaker()
    : m_folderBases(lines(FolderBases))
    , m_qualifiers(lines(Qualifiers))
    , m_titlePatterns(lines(TitlePatterns))
    , m_subjects(lines(Subjects))
{
}

QString NameMaker::folderName(BenchRandom &random) const
{
    QString name = random.pick(m_folderBases);
    if (random.chance(0.35))
        name += random.pick(m_qualifiers);
    if (random.chance(0.25))
        name += QStringLiteral(" %1").arg(random.between(1, 999));
    return name;
}

QString NameMaker::title(BenchRandom &random) const
{
    QString title = random.pick(m_titlePatterns);
    title.replace(QLatin1String("%1"), random.pick(m_subjects));
    title.replace(QLatin1String("%2"), random.pick(m_subjects));
    if (random.chance(0.3))
        title += QStringLiteral(" (%1)").arg(random.between(1, 9999));
    return title;
}

} // namespace folio::bench
