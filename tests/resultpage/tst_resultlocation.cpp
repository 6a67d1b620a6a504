// SPDX-License-Identifier: MIT
#include "resultpage/resultlocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestResultLocation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writableProgramFolder_data();
    void writableProgramFolder();
    void programFolderRefused_data();
    void programFolderRefused();
    void fileUrlOfUnusualPaths_data();
    void fileUrlOfUnusualPaths();
    void windowsUrlIsPlainConcatenation_data();
    void windowsUrlIsPlainConcatenation();
};

void TestResultLocation::initTestCase()
{
    QCoreApplication::setApplicationName(u"qorvin-location-test"_s);
    QStandardPaths::setTestModeEnabled(true);
}

void TestResultLocation::writableProgramFolder_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::newRow("temporary folder") << QString();
    QTest::newRow("build tree") << u"build/app"_s;
    QTest::newRow("named like bin") << u"binaries"_s;
}

void TestResultLocation::writableProgramFolder()
{
    QFETCH(QString, subfolder);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = subfolder.isEmpty() ? dir.path() : dir.filePath(subfolder);
    QVERIFY(QDir().mkpath(folder));
    const ResultLocation location = resultLocation(folder);
    QCOMPARE(location.folder, folder);
    QCOMPARE(location.filePath, folder + u"/result.htm"_s);
    QCOMPARE(location.pageUrl, u"file://"_s + folder + u"/result.htm"_s);
    // The writability probe leaves nothing behind.
    QVERIFY(QDir(folder).isEmpty());
}

void TestResultLocation::programFolderRefused_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<bool>("blockerIsFolder");
    // Permission bits do not stop root, so the folder is made impossible instead.
    QTest::newRow("folder is a file") << u"file"_s << false;
    QTest::newRow("folder missing") << u"missing/folder"_s << false;
    QTest::newRow("no folder given") << QString() << false;
    // An installed program's folder stays free of data even where root could write to it.
    QTest::newRow("installed bin folder") << u"usr/bin"_s << true;
    QTest::newRow("bin folder of a prefix") << u"opt/qorvin/bin"_s << true;
}

void TestResultLocation::programFolderRefused()
{
    QFETCH(QString, blocker);
    QFETCH(bool, blockerIsFolder);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (blockerIsFolder)
        QVERIFY(QDir().mkpath(dir.filePath(blocker)));
    QFile file(dir.filePath(u"file"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString programFolder = blocker.isEmpty() ? QString() : dir.filePath(blocker);

    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir(userFolder).removeRecursively();
    const ResultLocation location = resultLocation(programFolder);
    QCOMPARE(location.folder, userFolder);
    QVERIFY(QFileInfo(userFolder).isDir());
    QCOMPARE(location.filePath, QDir(userFolder).filePath(u"result.htm"_s));
    QCOMPARE(QUrl(location.pageUrl).toLocalFile(), location.filePath);
    if (blockerIsFolder)
        QVERIFY(QDir(dir.filePath(blocker)).isEmpty());
}

void TestResultLocation::fileUrlOfUnusualPaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << u"/"_s;
    QTest::newRow("spaces") << u"/opt/my tools"_s;
    QTest::newRow("hash and percent") << u"/opt/a#b%20c"_s;
    QTest::newRow("chinese") << u"/opt/音乐"_s;
}

void TestResultLocation::fileUrlOfUnusualPaths()
{
    QFETCH(QString, folder);
    const QString url = resultPageUrl(folder, PageUrlStyle::FileUrl);
    QVERIFY2(url.startsWith(u"file:///"_s) && !url.startsWith(u"file:////"_s), qPrintable(url));
    QCOMPARE(QUrl(url).toLocalFile(), QDir(folder).filePath(u"result.htm"_s));
}

void TestResultLocation::windowsUrlIsPlainConcatenation_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("url");
    QTest::newRow("backslashes kept") << u"C:\\Tools"_s << u"file:///C:\\Tools\\result.htm"_s;
    QTest::newRow("slashes made native")
        << u"C:/Program Files/MP3"_s << u"file:///C:\\Program Files\\MP3\\result.htm"_s;
}

void TestResultLocation::windowsUrlIsPlainConcatenation()
{
    QFETCH(QString, folder);
    QFETCH(QString, url);
    QCOMPARE(resultPageUrl(folder, PageUrlStyle::WindowsConcatenation), url);
}

QTEST_GUILESS_MAIN(TestResultLocation)
#include "tst_resultlocation.moc"
