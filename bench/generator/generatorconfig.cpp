#include "generator/generatorconfig.h"

#include <algorithm>

namespace folio::bench {

std::optional<GeneratorConfig> GeneratorConfig::fromPreset(const QString &name)
{
    GeneratorConfig config;
    config.preset = name;
    if (name == QLatin1String("small")) {
        config.folders = 100;
        config.documents = 1000;
        config.largeDocuments = 3;
    } else if (name == QLatin1String("large")) {
        config.folders = 10000;
        config.documents = 30000;
        config.largeDocuments = 30;
    } else if (name == QLatin1String("huge")) {
        config.folders = 100000;
        config.documents = 300000;
        config.largeDocuments = 300;
    } else {
        return std::nullopt;
    }
    config.switchFolderDocuments = std::min(2000, config.documents / 2);
    return config;
}

QString GeneratorConfig::problem() const
{
    if (folders < 2)
        return QStringLiteral("at least two folders are needed");
    if (documents < 1)
        return QStringLiteral("at least one document is needed");
    if (maxDepth < 1)
        return QStringLiteral("the depth must be at least 1");
    if (largeDocuments < 0 || switchFolderDocuments < 0 || openSamples < 0)
        return QStringLiteral("counts cannot be negative");
    if (qint64(largeDocuments) + switchFolderDocuments + 3 * qint64(openSamples) > documents)
        return QStringLiteral("the large documents, the open samples and the switch folder need more documents "
                              "than there are");
    if (smallestDocument < 1 || largestDocument < smallestDocument)
        return QStringLiteral("the document size range is empty");
    return {};
}

QString GeneratorConfig::baseName() const
{
    if (preset != QLatin1String("custom"))
        return QStringLiteral("%1-s%2").arg(preset).arg(seed);
    return QStringLiteral("custom-f%1-d%2-l%3-w%4-o%5-s%6")
        .arg(folders).arg(documents).arg(largeDocuments).arg(switchFolderDocuments).arg(openSamples).arg(seed);
}

} // namespace folio::bench
