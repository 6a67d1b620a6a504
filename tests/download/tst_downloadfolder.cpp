// SPDX-License-Identifier: MIT
#include "download/downloadfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestDownloadFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void keywordFolders_data();
    void keywordFolders();
    void choiceIsRemembered();
};

void TestDownloadFolder::initTestCase()
{
    QCoreApplication::setOrganizationName(u"qorvin-test"_s);
    QCoreApplication::setApplicationName(u"qorvin-download-folder-test"_s);
    QStandardPaths::setTestModeEnabled(true);
}

void TestDownloadFolder::init()
{
    QSettings().clear();
}

void TestDownloadFolder::keywordFolders_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("expected"); // relative to the base folder

    QTest::newRow("plain") << u"苏轼"_s << u"苏轼"_s;
    QTest::newRow("parent folders stay inside") << u"../../etc"_s << u"_.._etc"_s;
    QTest::newRow("absolute path stays inside") << u"/tmp/x"_s << u"_tmp_x"_s;
    QTest::newRow("nothing usable: the base itself") << u" .. "_s << QString();
    QTest::newRow("reserved name") << u"aux"_s << u"aux_"_s;
}

void TestDownloadFolder::keywordFolders()
{
    QFETCH(QString, keyword);
    QFETCH(QString, expected);
    const QString base = u"/music/MP3 Qorvin"_s;
    QCOMPARE(batchFolder(base, keyword), expected.isEmpty() ? base : base + u'/' + expected);
}

void TestDownloadFolder::choiceIsRemembered()
{
    const QString defaultBase = defaultDownloadBaseFolder();
    QVERIFY(defaultBase.endsWith(u"/MP3 Qorvin"_s));
    QCOMPARE(downloadBaseFolder(), defaultBase);

    rememberDownloadBaseFolder(u"/data/songs/"_s);
    QCOMPARE(downloadBaseFolder(), u"/data/songs"_s);
    QCOMPARE(batchFolder(u"春"_s), u"/data/songs/春"_s);

    rememberDownloadBaseFolder(QString());
    QCOMPARE(downloadBaseFolder(), defaultBase);
}

QTEST_GUILESS_MAIN(TestDownloadFolder)
#include "tst_downloadfolder.moc"
