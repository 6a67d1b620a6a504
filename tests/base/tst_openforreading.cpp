// SPDX-License-Identifier: MIT
#include "base/openforreading.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestOpenForReading : public QObject
{
    Q_OBJECT

private slots:
    void reasonNamesTheObstacle_data();
    void reasonNamesTheObstacle();
};

void TestOpenForReading::reasonNamesTheObstacle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // empty: opens

    QTest::newRow("a readable file") << u"song.mp3"_s << QString();
    QTest::newRow("missing") << u"gone.json"_s << u"文件不存在"_s;
    QTest::newRow("a folder in its place") << u"folder"_s << u"这是一个文件夹，不是文件"_s;
    QTest::newRow("no permission") << u"locked.json"_s << u"没有读取权限"_s;
}

void TestOpenForReading::reasonNamesTheObstacle()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    if (name == u"locked.json"_s && ::geteuid() == 0)
        QSKIP("root reads every file");
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(u"folder"_s);
    for (const QString& file : {u"song.mp3"_s, u"locked.json"_s}) {
        QFile written(folder.filePath(file));
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("ID3");
    }
    QFile::setPermissions(folder.filePath(u"locked.json"_s), QFileDevice::WriteOwner);

    const QString path = folder.filePath(name);
    QFile file;
    const Outcome opened = openForReading(file, path);
    QCOMPARE(opened.ok, reason.isEmpty());
    if (opened.ok)
        QCOMPARE(file.readAll(), "ID3");
    else
        QCOMPARE(opened.errorString, reason + u"："_s + QDir::toNativeSeparators(path));
}

QTEST_GUILESS_MAIN(TestOpenForReading)
#include "tst_openforreading.moc"
