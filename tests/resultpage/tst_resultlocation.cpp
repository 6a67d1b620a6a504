// SPDX-License-Identifier: MIT
#include "resultlocation.h"

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
    void writableProgramFolder();
    void unwritableProgramFolder_data();
    void unwritableProgramFolder();
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

void TestResultLocation::writableProgramFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ResultLocation location = resultLocation(dir.path());
    QCOMPARE(location.folder, dir.path());
    QCOMPARE(location.filePath, dir.path() + u"/result.htm"_s);
    QCOMPARE(location.pageUrl, u"file://"_s + dir.path() + u"/result.htm"_s);
    // The writability probe leaves nothing behind.
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestResultLocation::unwritableProgramFolder_data()
{
    QTest::addColumn<QString>("blocker");
    // Permission bits do not stop root, so the folder is made impossible instead.
    QTest::newRow("folder is a file") << u"file"_s;
    QTest::newRow("folder missing") << u"missing/folder"_s;
    QTest::newRow("no folder given") << QString();
}

void TestResultLocation::unwritableProgramFolder()
{
    QFETCH(QString, blocker);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
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
