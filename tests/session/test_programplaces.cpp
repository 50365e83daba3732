// Where the data lives: in a program folder of its own that can be written
// (portable), else in the user's data folder, with the template and the
// manual read from the program folder or the shared folder beside it.

#include "session/programplaces.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace folio;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestProgramPlaces : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portableFolderKeepsEverything()
    {
        QTemporaryDir root;
        const QString program = root.filePath("FolioKeeper");
        writeFile(program + "/blank97.MDB", "template");
        const ProgramPlaces places = locateProgramPlaces(program, root.filePath("xdg"), root.filePath("home"));
        QVERIFY(places.portable);
        QCOMPARE(places.dataDir, program);
        QCOMPARE(places.resourceDir, program);
        QCOMPARE(prepareDataFolder(places), QString());
        QVERIFY(!QFileInfo::exists(root.filePath("xdg")));
    }

    // The program in a bin folder with the template in share/foliokeeper:
    // the data goes to XDG_DATA_HOME (or ~/.local/share), private to the user.
    void systemInstallKeepsDataInTheUsersDataFolder()
    {
        QTemporaryDir root;
        writeFile(root.filePath("usr/share/foliokeeper/blank97.MDB"), "template v1");
        const QString bin = root.filePath("usr/bin");
        QVERIFY(QDir().mkpath(bin));
        const ProgramPlaces places = locateProgramPlaces(bin, root.filePath("xdg"), root.filePath("home"));
        QVERIFY(!places.portable);
        QCOMPARE(places.dataDir, root.filePath("xdg/foliokeeper"));
        QCOMPARE(places.resourceDir, root.filePath("usr/share/foliokeeper"));
        QCOMPARE(locateProgramPlaces(bin, QString(), root.filePath("home")).dataDir,
                 root.filePath("home/.local/share/foliokeeper"));
        QCOMPARE(locateProgramPlaces(bin, "relative/xdg", root.filePath("home")).dataDir,
                 root.filePath("home/.local/share/foliokeeper"));

        QCOMPARE(prepareDataFolder(places), QString());
        QCOMPARE(QFileInfo(places.dataDir).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
                 QFile::Permissions());
        QCOMPARE(readAll(places.dataDir + "/blank97.MDB"), QByteArray("template v1"));
        // A newer package brings a new template; the user's data stays.
        writeFile(places.dataDir + "/KB97.MDB", "notes");
        writeFile(root.filePath("usr/share/foliokeeper/blank97.MDB"), "template v2");
        QCOMPARE(prepareDataFolder(places), QString());
        QCOMPARE(readAll(places.dataDir + "/blank97.MDB"), QByteArray("template v2"));
        QCOMPARE(readAll(places.dataDir + "/KB97.MDB"), QByteArray("notes"));
    }

    // A program folder that cannot be written (read-only media): data in
    // the user's folder, template read from the program folder.
    void readOnlyProgramFolderReadsItsOwnTemplate()
    {
        QTemporaryDir root;
        const QString program = root.filePath("cd");
        writeFile(program + "/blank97.MDB", "template");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
        const ProgramPlaces places = locateProgramPlaces(program, root.filePath("xdg"), root.filePath("home"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (QFileInfo(program).isWritable() && places.portable)
            QSKIP("run as root: every folder can be written");
        QVERIFY(!places.portable);
        QCOMPARE(places.resourceDir, program);
        QCOMPARE(places.dataDir, root.filePath("xdg/foliokeeper"));
    }

    void aDataFolderThatCannotBeMadeIsReported()
    {
        QTemporaryDir root;
        writeFile(root.filePath("xdg"), "a file where the folder should be");
        const ProgramPlaces places = locateProgramPlaces(root.filePath("bin"), root.filePath("xdg"), root.path());
        QVERIFY(prepareDataFolder(places).contains(root.filePath("xdg/foliokeeper")));
    }
};

QTEST_MAIN(TestProgramPlaces)
#include "test_programplaces.moc"
