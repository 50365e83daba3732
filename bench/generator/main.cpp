// foliok-benchgen: makes (or reuses) a synthetic knowledge base for the
// benchmarks, through the program's own storage code.
//
//   foliok-benchgen --preset large --seed 1 --data-root bench/data
//
// writes bench/data/large-s1/KB97.MDB and bench.json, unless a base made
// with the same settings by this generator is already there.
#include "generator/generatorconfig.h"
#include "generator/kbgenerator.h"
#include "generator/manifest.h"
#include "storage/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace folio::bench;

namespace {

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

std::optional<GeneratorConfig> configFromArguments(const QCommandLineParser &args)
{
    std::optional<GeneratorConfig> config = GeneratorConfig::fromPreset(args.value("preset"));
    if (!config) {
        if (args.value("preset") != QLatin1String("custom"))
            return std::nullopt;
        config = GeneratorConfig{};
    }
    config->seed = args.value("seed").toULongLong();
    const auto number = [&](const char *name, int &field) {
        if (args.isSet(name))
            field = args.value(name).toInt();
    };
    number("folders", config->folders);
    number("documents", config->documents);
    number("large", config->largeDocuments);
    number("switch-folder", config->switchFolderDocuments);
    number("open-samples", config->openSamples);
    if (config->preset != QLatin1String("custom")
        && (args.isSet("folders") || args.isSet("documents") || args.isSet("large") || args.isSet("switch-folder")
            || args.isSet("open-samples")))
        config->preset = QStringLiteral("custom");
    return config;
}

bool reusable(const QString &base, const GeneratorConfig &config)
{
    const std::optional<Manifest> manifest = Manifest::read(QDir(base).filePath(Manifest::fileName()));
    const QFileInfo live(QDir(base).filePath(folio::LiveDatabaseName));
    return manifest && manifest->describes(config) && live.isFile() && live.size() == manifest->fileBytes;
}

void addOptions(QCommandLineParser &args)
{
    args.setApplicationDescription(QStringLiteral("Makes a synthetic Folio Keeper knowledge base."));
    args.addHelpOption();
    args.addOptions({
        {"preset", "small, large, huge or custom.", "name", "small"},
        {"seed", "Seed of the random choices.", "number", "1"},
        {"folders", "Number of folders.", "count"},
        {"documents", "Number of documents.", "count"},
        {"large", "Number of documents of 1 to 5 MB.", "count"},
        {"switch-folder", "Documents in the folder the folder switch opens.", "count"},
        {"open-samples", "Documents of each size (10 KB, 100 KB, 1 MB) for the cold opens.", "count"},
        {"data-root", "Folder that holds the bases.", "folder", "bench/data"},
        {"template", "The empty template database.", "file", QStringLiteral(FOLIO_BENCH_TEMPLATE)},
        {"force", "Make the base even when a matching one exists."},
        {"check", "Only say whether a finished base of these settings is there (exit code 0) or not (1)."},
    });
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser args;
    addOptions(args);
    args.process(app);

    const std::optional<GeneratorConfig> config = configFromArguments(args);
    if (!config) {
        say(QStringLiteral("unknown preset %1 (small, large, huge or custom)").arg(args.value("preset")));
        return 2;
    }
    if (const QString problem = config->problem(); !problem.isEmpty()) {
        say(QStringLiteral("cannot generate: %1").arg(problem));
        return 2;
    }
    const QString base = QDir(args.value("data-root")).absoluteFilePath(config->baseName());
    if (args.isSet("check")) {
        const bool ready = reusable(base, *config);
        say(ready ? QStringLiteral("a finished base is in %1").arg(base) : QStringLiteral("no finished base in %1").arg(base));
        return ready ? 0 : 1;
    }
    if (!args.isSet("force") && reusable(base, *config)) {
        say(QStringLiteral("reusing the knowledge base in %1").arg(base));
        return 0;
    }
    say(QStringLiteral("generating %1 folders and %2 documents (seed %3) in %4 "
                       "(stopped, it goes on from where it was when started again)")
            .arg(config->folders).arg(config->documents).arg(config->seed).arg(base));
    try {
        const Manifest made = KnowledgeBaseGenerator(*config).generate(base, args.value("template"), say);
        say(QStringLiteral("done in %1 s: KB97.MDB is %2 MB").arg(made.generationSeconds, 0, 'f', 1)
                .arg(made.fileBytes / 1e6, 0, 'f', 1));
    } catch (const std::exception &e) {
        say(QStringLiteral("generation failed: %1").arg(QString::fromLocal8Bit(e.what())));
        return 1;
    }
    return 0;
}
