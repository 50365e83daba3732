#include "generator/manifest.h"

#include <QFile>
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
    c.maxDepth = o.value("maxDepth").toInt();
    c.smallestDocument = o.value("smallestDocument").toInt();
    c.largestDocument = o.value("largestDocument").toInt();
    return c;
}

} // namespace

bool Manifest::write(const QString &path) const
{
    const QJsonObject o{{"generatorVersion", generatorVersion},
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
                        {"generationSeconds", generationSeconds}};
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
    m.keywordOneDocuments = o.value("keywordOneDocuments").toInt();
    m.keywordTwoDocuments = o.value("keywordTwoDocuments").toInt();
    m.bothKeywordsDocuments = o.value("bothKeywordsDocuments").toInt();
    m.twoCharacterDocuments = o.value("twoCharacterDocuments").toInt();
    m.deepestLevel = o.value("deepestLevel").toInt();
    m.htmlBytes = o.value("htmlBytes").toInteger();
    m.fileBytes = o.value("fileBytes").toInteger();
    m.generationSeconds = o.value("generationSeconds").toDouble();
    return m;
}

bool Manifest::describes(const GeneratorConfig &wanted) const
{
    return generatorVersion == CurrentGeneratorVersion && configJson(config) == configJson(wanted);
}

} // namespace folio::bench
