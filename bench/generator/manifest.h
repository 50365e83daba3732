#pragma once

#include "generator/generatorconfig.h"

#include <QList>
#include <QString>
#include <optional>

namespace folio::bench {

// What a generated knowledge base holds, written beside its KB97.MDB as
// bench.json: the settings it was made with, where the special folder and
// document are, and how many documents each search word is in. The runner
// reads it; the generator compares it to decide whether a base can be reused.
struct Manifest
{
    // Raised whenever the generator's output changes, so older bases are
    // made again instead of being reused.
    // 4: the bases carry the search index.
    static constexpr int CurrentGeneratorVersion = 4;
    // The sizes of the open samples, in bytes of HTML.
    static constexpr qint64 OpenSampleBytes[3] = {10 * 1024, 100 * 1024, 1024 * 1024};
    static QString fileName() { return QStringLiteral("bench.json"); }

    int generatorVersion = CurrentGeneratorVersion;
    GeneratorConfig config;
    qint64 switchFolder = 0;           // DirNum
    int switchFolderDocuments = 0;
    qint64 oneMegabyteDocument = 0;    // DocNum
    qint64 oneMegabyteBytes = 0;       // UTF-8 size of its HTML
    // DocNums of the open samples, one list per size of OpenSampleBytes.
    QList<QList<qint64>> openSamples{{}, {}, {}};
    QList<qint64> openSampleTotalBytes{0, 0, 0};   // their HTML together, per size
    int keywordOneDocuments = 0;       // documents holding KeywordOne
    int keywordTwoDocuments = 0;       // ... KeywordTwo
    int bothKeywordsDocuments = 0;     // ... both
    int twoCharacterDocuments = 0;     // ... KeywordTwoCharacters
    int deepestLevel = 0;
    qint64 htmlBytes = 0;              // UTF-8 size of all pages together
    qint64 fileBytes = 0;              // size of KB97.MDB when generated
    double generationSeconds = 0;
    // Documents written so far: all of them in a finished base; fewer in the
    // checkpoint of a generation that is still going (or was interrupted).
    int documentsWritten = 0;

    // The checkpoint beside an unfinished base, from which the generator
    // goes on where it stopped.
    static QString checkpointName() { return QStringLiteral("bench-partial.json"); }

    bool write(const QString &path) const;
    static std::optional<Manifest> read(const QString &path);
    // True when this base was made by this generator with these settings.
    bool describes(const GeneratorConfig &wanted) const;
    // The huge preset has goals of its own (later work: measured, not yet met).
    bool isHuge() const { return config.preset == QLatin1String("huge"); }
};

} // namespace folio::bench
