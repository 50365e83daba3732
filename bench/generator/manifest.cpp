#include "generator/manifest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace folio::bench {

namespace {

QJsonObject configJson(const GeneratorConfig &c)
{
    return QJsonObject{{"preset", c.preset},
                       {"seed", QString::number(c.seed)},
                       {"folders", c.folders},
                       {"documents", c.documents},
                       {"largeDocuments", c.largeDocuments},
                       {"switchFolderDocuments", c.switchFolderDocuments},
                       {"openSamples", c.openSamples},
                       {"maxDepth", c.maxDepth},
                       {"smallestDocument", c.smallestDocument},
                       {"largestDocument", c.largestDocument}};
}

GeneratorConfig configFrom(const QJsonObject &o)
{
    GeneratorConfig c;
    c.preset = o.value("preset").toString();
    c.seed = o.value("seed").toString().toULongLong();
    c.folders = o.value("folders").toInt();
    c.documents = o.value("documents").toInt();
    c.largeDocuments = o.value("largeDocuments").toInt();
    c.switchFolderDocuments = o.value("switchFolderDocuments").toInt();
    c.openSamples = o.value("openSamples").toInt();
    c.maxDepth = o.value("maxDepth").toInt();
    c.smallestDocument = o.value("smallestDocument").toInt();
    c.largestDocument = o.value("largestDocument").toInt();
    return c;
}

QJsonArray numbersJson(const QList<qint64> &numbers)
{
    QJsonArray array;
    for (qint64 number : numbers)
        array.append(number);
    return array;
}

QList<qint64> numbersFrom(const QJsonValue &value)
{
    QList<qint64> numbers;
    for (const QJsonValue &number : value.toArray())
        numbers.append(number.toInteger());
    return numbers;
}

} // namespace

bool Manifest::write(const QString &path) const
{
    QJsonArray samples;
    for (const QList<qint64> &numbers : openSamples)
        samples.append(numbersJson(numbers));
    const QJsonObject o{{"generatorVersion", generatorVersion},
                        {"openSamples", samples},
                        {"openSampleTotalBytes", numbersJson(openSampleTotalBytes)},
                        {"config", configJson(config)},
                        {"switchFolder", switchFolder},
                        {"switchFolderDocuments", switchFolderDocuments},
                        {"oneMegabyteDocument", oneMegabyteDocument},
                        {"oneMegabyteBytes", oneMegabyteBytes},
                        {"keywordOneDocuments", keywordOneDocuments},
                        {"keywordTwoDocuments", keywordTwoDocuments},
                        {"bothKeywordsDocuments", bothKeywordsDocuments},
                        {"twoCharacterDocuments", twoCharacterDocuments},
                        {"deepestLevel", deepestLevel},
                        {"htmlBytes", htmlBytes},
                        {"fileBytes", fileBytes},
                        {"generationSeconds", generationSeconds},
                        {"documentsWritten", documentsWritten}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(o).toJson());
    return file.commit();
}

std::optional<Manifest> Manifest::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll());
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject o = json.object();
    Manifest m;
    m.generatorVersion = o.value("generatorVersion").toInt();
    m.config = configFrom(o.value("config").toObject());
    m.switchFolder = o.value("switchFolder").toInteger();
    m.switchFolderDocuments = o.value("switchFolderDocuments").toInt();
    m.oneMegabyteDocument = o.value("oneMegabyteDocument").toInteger();
    m.oneMegabyteBytes = o.value("oneMegabyteBytes").toInteger();
    const QJsonArray samples = o.value("openSamples").toArray();
    const QList<qint64> sampleBytes = numbersFrom(o.value("openSampleTotalBytes"));
    for (int size = 0; size < 3; ++size) {
        m.openSamples[size] = numbersFrom(samples.at(size));
        m.openSampleTotalBytes[size] = sampleBytes.value(size);
    }
    m.keywordOneDocuments = o.value("keywordOneDocuments").toInt();
    m.keywordTwoDocuments = o.value("keywordTwoDocuments").toInt();
    m.bothKeywordsDocuments = o.value("bothKeywordsDocuments").toInt();
    m.twoCharacterDocuments = o.value("twoCharacterDocuments").toInt();
    m.deepestLevel = o.value("deepestLevel").toInt();
    m.htmlBytes = o.value("htmlBytes").toInteger();
    m.fileBytes = o.value("fileBytes").toInteger();
    m.generationSeconds = o.value("generationSeconds").toDouble();
    m.documentsWritten = o.value("documentsWritten").toInt();
    return m;
}

bool Manifest::describes(const GeneratorConfig &wanted) const
{
    return generatorVersion == CurrentGeneratorVersion && configJson(config) == configJson(wanted);
}

} // namespace folio::bench
