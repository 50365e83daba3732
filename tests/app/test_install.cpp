// `cmake --install` into a temporary prefix: the program folder gets the
// executable, the template, the manual and the icon; the installing user's
// desktop gets an entry whose Exec and Icon are the installed files.
#include "app/helpwindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

struct Installed
{
    int exitCode = -1;
    QString output;
};

Installed install(const QString &prefix, const QProcessEnvironment &env)
{
    QProcess cmake;
    cmake.setProcessEnvironment(env);
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(FOLIO_CMAKE),
                {QStringLiteral("--install"), QStringLiteral(FOLIO_BUILD_DIR), QStringLiteral("--prefix"), prefix});
    Installed result;
    if (!cmake.waitForFinished(120000))
        return result;
    result.exitCode = cmake.exitCode();
    result.output = QString::fromLocal8Bit(cmake.readAll());
    return result;
}

QString entryValue(const QString &entry, const QString &key)
{
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return {};
}

QString validate(const QString &entry)
{
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("desktop-file-validate"), {entry});
    if (!check.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not run: ") + check.errorString();
    const QString output = QString::fromLocal8Bit(check.readAll()).trimmed();
    return check.exitCode() == 0 && output.isEmpty() ? QString() : output;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void programFolderAndDesktopEntry_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");  // how Exec must read, %1 = the temporary root
        QTest::newRow("plain") << QStringLiteral("FolioKeeper") << QStringLiteral("%1/FolioKeeper/foliokeeper");
        QTest::newRow("blank and dollar") << QStringLiteral("Folio $Keeper")
                                          << QStringLiteral("\"%1/Folio \\\\$Keeper/foliokeeper\"");
    }
    void programFolderAndDesktopEntry()
    {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        QTemporaryDir root;
        const QString prefix = root.filePath(folder);
        const QString dataHome = root.filePath(QStringLiteral("data"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.remove(QStringLiteral("DESTDIR"));
        const Installed done = install(prefix, env);
        QVERIFY2(done.exitCode == 0, qPrintable(done.output));

        const QString program = QDir(prefix).filePath(QStringLiteral("foliokeeper"));
        QVERIFY(QFileInfo(program).isExecutable());
        QVERIFY(QFileInfo::exists(QDir(prefix).filePath(QStringLiteral("blank97.MDB"))));
        for (int topic : {1000, 240, 310, 320, 330, 340, 360, 370, 0}) {
            const QString page = QDir(folio::manualFolder(prefix)).filePath(folio::helpTopicFile(topic));
            QVERIFY2(QFileInfo::exists(page), qPrintable(page));
        }

        const QString entry = QDir(dataHome).filePath(QStringLiteral("applications/foliokeeper.desktop"));
        QVERIFY2(QFileInfo::exists(entry), qPrintable(done.output));
        QCOMPARE(entryValue(entry, QStringLiteral("Exec")), exec.arg(root.path()));
        QCOMPARE(entryValue(entry, QStringLiteral("Name")), QStringLiteral("Folio Keeper"));
        // The icon by its path beside the program: no icon theme folder of
        // the user's own is made (without an index it slows every look-up).
        const QString icon = QDir(prefix).filePath(QStringLiteral("foliokeeper.svg"));
        QCOMPARE(entryValue(entry, QStringLiteral("Icon")), icon);
        QVERIFY(!QFileInfo::exists(QDir(dataHome).filePath(QStringLiteral("icons"))));
        QFile installedIcon(icon), sourceIcon(QStringLiteral(FOLIO_SOURCE_DIR "/resources/icons/foliokeeper.svg"));
        QVERIFY(installedIcon.open(QIODevice::ReadOnly) && sourceIcon.open(QIODevice::ReadOnly));
        QCOMPARE(installedIcon.readAll(), sourceIcon.readAll());
        const QString problems = validate(entry);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));

        // The help window reads the installed manual.
        folio::HelpWindow help(folio::manualFolder(prefix));
        help.showTopic(310);
        QCOMPARE(help.browser()->documentTitle(), QStringLiteral("The folder tree"));
    }

    void dataHomeDefaultsToTheHomeFolder()
    {
        QTemporaryDir root;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("DESTDIR"));
        env.insert(QStringLiteral("HOME"), root.path());
        const Installed done = install(root.filePath(QStringLiteral("FolioKeeper")), env);
        QVERIFY2(done.exitCode == 0, qPrintable(done.output));
        QVERIFY(QFileInfo::exists(root.filePath(QStringLiteral(".local/share/applications/foliokeeper.desktop"))));
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral(".local/share/icons"))));
    }
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
