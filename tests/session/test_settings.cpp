// The settings file: the digit-group encoding and foliok.ini on disk.

#include "session/settings.h"
#include "session/version.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <unistd.h>

using namespace folio;

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromLatin1(f.readAll());
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scrambleExamples()
    {
        QCOMPARE(scrambleSetting(QStringLiteral("abc")), QStringLiteral("598600602"));
        QCOMPARE(scrambleSetting(QString()), QString());
        // The 10th character gets offset 0, the 11th offset 1.
        const QString encoded = scrambleSetting(QStringLiteral("aaaaaaaaaaa"));
        QCOMPARE(encoded.size(), 33);
        QCOMPARE(encoded.mid(27, 6), QStringLiteral("597598"));
    }

    void unscramble_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "598600602" << "abc";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("trailing partial group ignored") << "5986006" << "ab";
        QTest::newRow("group below 500 gives nothing") << "499600602" << "bc";
        QTest::newRow("decoded beyond 255 gives nothing") << "598999602" << "ac";
        QTest::newRow("leading blanks skipped") << " 98" << "";
        QTest::newRow("stops at a non-digit") << "abcdef" << "";
    }

    void unscramble()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QCOMPARE(unscrambleSetting(stored), text);
    }

    void roundTripsEightBitText()
    {
        QString all;
        for (int c = 0; c < 256; ++c)
            all += QChar(c);
        QCOMPARE(unscrambleSetting(scrambleSetting(all)), all);
        // A character without an 8-bit code is skipped, the rest kept.
        QCOMPARE(unscrambleSetting(scrambleSetting(QStringLiteral("a\u4e2db"))).size(), 2);
    }

    void versionText()
    {
        QCOMPARE(makeAppVersion(2, 0, 3), QStringLiteral("02.00.03"));
        QCOMPARE(appVersion().size(), 8);
    }

    void fileRoundTrip()
    {
        folio::test::ProgramFolder folder;
        SettingsFile settings(folder.path());
        QCOMPARE(settings.readVersion(QStringLiteral("02.00.03")), QStringLiteral("02.00.03"));  // no file
        QVERIFY(settings.writeVersion(QStringLiteral("02.00.03")));

        const QStringList lines = readText(settings.path()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QLatin1Char('[') + scrambleSetting(QStringLiteral("CONFIG")) + QLatin1Char(']'));
        const QStringList pair = lines[1].split(QLatin1Char('='));
        QCOMPARE(unscrambleSetting(pair[0]), QStringLiteral("VERSION"));
        QCOMPARE(unscrambleSetting(pair[1]), QStringLiteral("02.00.03"));
        for (const QChar c : lines.join(QString()))
            QVERIFY(c.isDigit() || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('='));

        // A later version reads the old value and writes it back unchanged.
        QCOMPARE(settings.readVersion(QStringLiteral("03.00.00")), QStringLiteral("02.00.03"));
    }

    void damagedFilesGiveDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe garbage \x01", 14);
        QTest::newRow("no section") << QByteArray("587571585587578585585=549552549552553552555559\n");
        QTest::newRow("empty value") << QByteArray("[568581581574578577]\n587571585587578585585=\n");
        QTest::newRow("letters") << QByteArray("[568581581574578577]\n587571585587578585585=hello\n");
    }

    void damagedFilesGiveDefaults()
    {
        QFETCH(QByteArray, content);
        folio::test::ProgramFolder folder;
        SettingsFile settings(folder.path());
        writeText(settings.path(), content);
        QCOMPARE(settings.readVersion(QStringLiteral("02.00.03")), QStringLiteral("02.00.03"));
    }

    void writingKeepsOtherLines()
    {
        folio::test::ProgramFolder folder;
        SettingsFile settings(folder.path());
        writeText(settings.path(), "; my note\n[OTHER]\nx=1\n");
        QVERIFY(settings.writeVersion(QStringLiteral("01.02.03")));
        const QString text = readText(settings.path());
        QVERIFY(text.contains(QStringLiteral("; my note")));
        QVERIFY(text.contains(QStringLiteral("[OTHER]\nx=1")));
        QCOMPARE(settings.readVersion(QString()), QStringLiteral("01.02.03"));
        QVERIFY(settings.writeVersion(QStringLiteral("01.02.04")));
        QCOMPARE(readText(settings.path()).count(QLatin1Char('=')), 2);  // replaced, not added
    }

    void largeFileKeepsEveryByteItDoesNotOwn()
    {
        folio::test::ProgramFolder folder;
        SettingsFile settings(folder.path());
        // 2 MB of someone else's lines with Windows line ends and 8-bit
        // bytes, our entry after the first megabyte, no final line break.
        QByteArray before;
        for (int i = 0; before.size() < (1 << 20) + 1000; ++i)
            before += "; line " + QByteArray::number(i) + " \xe9\xff\r\n";
        const QByteArray section = '[' + scrambleSetting(QStringLiteral("CONFIG")).toLatin1() + "]\r\n";
        const QByteArray key = scrambleSetting(QStringLiteral("VERSION")).toLatin1();
        const QByteArray head = before + section + key + '=';
        const QByteArray tail = "\r\n" + before + "[LAST]\r\nend";
        writeText(settings.path(), head + scrambleSetting(QStringLiteral("01.00.00")).toLatin1() + tail);

        QCOMPARE(settings.readVersion(QString()), QStringLiteral("01.00.00"));
        QVERIFY(settings.writeVersion(QStringLiteral("02.00.03")));
        QFile file(settings.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), head + scrambleSetting(QStringLiteral("02.00.03")).toLatin1() + tail);
    }

    void hugeFileIsLeftAlone()
    {
        folio::test::ProgramFolder folder;
        SettingsFile settings(folder.path());
        {
            QFile file(settings.path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(17 << 20));  // sparse: no real disk use
        }
        QVERIFY(!settings.writeVersion(QStringLiteral("02.00.03")));
        QCOMPARE(QFileInfo(settings.path()).size(), qint64(17 << 20));
        QCOMPARE(settings.readVersion(QStringLiteral("09.09.09")), QStringLiteral("09.09.09"));
    }

    void readOnlyFolderIsNotFatal()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        folio::test::ProgramFolder folder;
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!SettingsFile(folder.path()).writeVersion(QStringLiteral("02.00.03")));
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
