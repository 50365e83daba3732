#pragma once

#include <QString>
#include <optional>

namespace folio::bench {

// What the generator makes: sizes, seed and the shape of the special
// documents the benchmarks look for.
struct GeneratorConfig
{
    QString preset = QStringLiteral("custom");
    quint64 seed = 1;
    int folders = 100;
    int documents = 1000;
    // Documents of 1 to 5 MB; the first of them is the 1 MB document that
    // the open and save benchmarks use.
    int largeDocuments = 3;
    // Documents in the one folder that the folder-switch benchmark opens.
    int switchFolderDocuments = 500;
    // Documents of each open-benchmark size (10 KB, 100 KB, 1 MB) that
    // nothing else touches, so that every open of a round is a cold one.
    int openSamples = 15;
    int maxDepth = 8;
    // Size range of an ordinary document's HTML, in characters.
    int smallestDocument = 2 * 1024;
    int largestDocument = 32 * 1024;

    // small: 100 folders, 1,000 documents; large: 10,000 folders,
    // 30,000 documents, about 500 MB; huge: 100,000 folders, 300,000
    // documents, about 5 GB.
    static std::optional<GeneratorConfig> fromPreset(const QString &name);
    // Why the sizes cannot be generated, or empty when they can.
    QString problem() const;
    // The folder name under which a base of these settings is kept.
    QString baseName() const;
};

} // namespace folio::bench
