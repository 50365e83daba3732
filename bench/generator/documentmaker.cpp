#include "generator/documentmaker.h"

#include "generator/benchrandom.h"
#include "storage/documentstore.h"

#include <QDateTime>
#include <cmath>

namespace folio::bench {

namespace {

// Random streams of the generation, one per part.
constexpr quint64 ComposerStream = 2;
constexpr quint64 FirstDocumentStream = 1u << 20;

BenchRandom composerRandom(quint64 seed)
{
    return BenchRandom::stream(seed, ComposerStream);
}

// A moment between 2015 and 2026, in the day time: night hours are avoided
// so that no date falls into a daylight-saving gap of the local time zone.
QString changeDate(BenchRandom &random)
{
    const QDate day = QDate(2015, 1, 1).addDays(random.below(4200));
    const QTime time(int(random.between(8, 20)), int(random.below(60)), int(random.below(60)));
    return formatChangeDate(QDateTime(day, time));
}

} // namespace

DocumentMaker::DocumentMaker(const GeneratorConfig &config)
    : m_config(config)
    , m_composer(m_vocabulary, composerRandom(config.seed))
{
}

qint64 DocumentMaker::targetLength(BenchRandom &random, DocumentSize size) const
{
    switch (size) {
    case DocumentSize::OneMegabyte:
        return OneMegabyte;
    case DocumentSize::TenKilobytes:
        return 10 * 1024;
    case DocumentSize::HundredKilobytes:
        return 100 * 1024;
    case DocumentSize::Large:
        return random.between(OneMegabyte, 5 * OneMegabyte);
    case DocumentSize::Ordinary:
        break;
    }
    // Spread evenly on a logarithmic scale: many small notes, fewer long ones.
    const double low = std::log(double(m_config.smallestDocument));
    const double high = std::log(double(m_config.largestDocument));
    return qint64(std::exp(low + random.unit() * (high - low)));
}

MadeDocument DocumentMaker::make(int index, DocumentSize size) const
{
    BenchRandom random = BenchRandom::stream(m_config.seed, FirstDocumentStream + quint64(index));
    MadeDocument made;
    made.title = m_names.title(random);
    made.changed = changeDate(random);
    made.keywordOne = random.chance(KeywordOneShare);
    made.keywordTwo = random.chance(made.keywordOne ? KeywordTwoShareWithOne : KeywordTwoShareWithoutOne);
    made.twoCharacters = random.chance(TwoCharacterShare);
    QStringList keywords;
    if (made.keywordOne)
        keywords.append(KeywordOne);
    if (made.keywordTwo)
        keywords.append(KeywordTwo);
    if (made.twoCharacters)
        keywords.append(KeywordTwoCharacters);

    const qint64 target = targetLength(random, size);
    const BenchRandom pageRandom = random;
    made.html = m_composer.compose(random, made.title, keywords, target);
    if (size != DocumentSize::Ordinary && size != DocumentSize::Large) {
        // Characters outside ASCII take more than one byte: scale the target
        // once so that the stored page is close to its size in bytes.
        const qint64 bytes = made.html.toUtf8().size();
        random = pageRandom;
        made.html = m_composer.compose(random, made.title, keywords, target * target / bytes);
    }
    return made;
}

} // namespace folio::bench
