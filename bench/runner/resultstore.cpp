#include "runner/resultstore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace folio::bench {

namespace {

QString unitName(Unit unit)
{
    switch (unit) {
    case Unit::Milliseconds:
        return QStringLiteral("ms");
    case Unit::Megabytes:
        return QStringLiteral("MB");
    case Unit::Ratio:
        return QStringLiteral("ratio");
    }
    return {};
}

std::optional<QJsonObject> readObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

const SavedRow *SavedResults::row(const QString &id) const
{
    for (const SavedRow &candidate : rows)
        if (candidate.id == id)
            return &candidate;
    return nullptr;
}

std::optional<SavedResults> SavedResults::read(const QString &path)
{
    const std::optional<QJsonObject> object = readObject(path);
    if (!object || !(*object)[QLatin1String("rows")].isArray())
        return std::nullopt;
    SavedResults results;
    results.preset = (*object)[QLatin1String("preset")].toString();
    results.seed = (*object)[QLatin1String("seed")].toInt(1);
    results.folders = (*object)[QLatin1String("folders")].toInt();
    results.documents = (*object)[QLatin1String("documents")].toInt();
    for (const QJsonValue &value : (*object)[QLatin1String("rows")].toArray()) {
        const QJsonObject o = value.toObject();
        results.rows.append({o[QLatin1String("id")].toString(), o[QLatin1String("label")].toString(),
                             o[QLatin1String("unit")].toString(), o[QLatin1String("median")].toDouble(),
                             o[QLatin1String("min")].toDouble(), o[QLatin1String("max")].toDouble(),
                             o[QLatin1String("date")].toString(), o[QLatin1String("load_average")].toString()});
    }
    return results;
}

bool SavedResults::write(const QString &path) const
{
    QJsonArray array;
    for (const SavedRow &r : rows)
        array.append(QJsonObject{{"id", r.id}, {"label", r.label}, {"unit", r.unit}, {"median", r.median},
                                 {"min", r.min}, {"max", r.max}, {"date", r.date}, {"load_average", r.loadAverage}});
    const QJsonObject object{{"preset", preset}, {"seed", seed}, {"folders", folders}, {"documents", documents},
                             {"rows", array}};
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) >= 0 && file.commit();
}

void SavedResults::merge(const SavedResults &newer)
{
    preset = newer.preset;
    seed = newer.seed;
    folders = newer.folders;
    documents = newer.documents;
    for (const SavedRow &r : newer.rows) {
        auto same = std::find_if(rows.begin(), rows.end(), [&](const SavedRow &old) { return old.id == r.id; });
        if (same != rows.end())
            *same = r;
        else
            rows.append(r);
    }
}

QList<SavedRow> savedRowsOf(const ResultTable &table, const QString &date, const QString &loadAverage)
{
    QList<SavedRow> saved;
    for (const BenchRow &row : table.rows()) {
        if (row.status != BenchRow::Status::Measured || row.rounds.isEmpty())
            continue;
        const RoundStats s = row.stats();
        saved.append({row.id, row.operation, unitName(row.unit), s.medianMedian, s.minMedian, s.maxMedian, date,
                      loadAverage});
    }
    return saved;
}

std::optional<PeerResults> PeerResults::read(const QString &path)
{
    const std::optional<QJsonObject> object = readObject(path);
    if (!object || !(*object)[QLatin1String("programs")].isArray())
        return std::nullopt;
    PeerResults results;
    results.size = (*object)[QLatin1String("size")].toString();
    results.date = (*object)[QLatin1String("date")].toString();
    for (const QJsonValue &value : (*object)[QLatin1String("programs")].toArray()) {
        const QJsonObject o = value.toObject();
        PeerResult peer{o[QLatin1String("program")].toString(), o[QLatin1String("median_ms")].toDouble(-1), {}};
        for (const QJsonValue &run : o[QLatin1String("runs")].toArray())
            peer.runs.append(run.toDouble(-1));
        results.programs.append(peer);
    }
    return results;
}

} // namespace folio::bench
