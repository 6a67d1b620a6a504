// SPDX-License-Identifier: MIT
#include "download/partrecord.h"
#include "download/targetchoice.h"
#include "tests/filecontents.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

const QString Link = u"http://a.example/1.mp3"_s;

} // namespace

// Where a song goes in a folder that already holds files, parts and records of earlier runs.
class TestTargetChoice : public QObject
{
    Q_OBJECT

private slots:
    void leftoversOfEarlierRuns_data();
    void leftoversOfEarlierRuns();
};

void TestTargetChoice::leftoversOfEarlierRuns_data()
{
    // "name": a file; "name.part": a part with bytes, "name.part0": an empty one; "name.json=link":
    // its record; "name.json=link>final": a record naming the final file.
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("finished"); // empty: to be downloaded

    QTest::newRow("nothing there") << QStringList{} << u"歌.mp3"_s << QString();
    QTest::newRow("name taken") << QStringList{u"歌.mp3"_s} << u"歌 (2).mp3"_s << QString();
    QTest::newRow("part of this link")
        << QStringList{u"歌.mp3.part"_s, u"歌.mp3.json=this"_s} << u"歌.mp3"_s << QString();
    QTest::newRow("part of another link")
        << QStringList{u"歌.mp3.part"_s, u"歌.mp3.json=other"_s} << u"歌 (2).mp3"_s << QString();
    QTest::newRow("part with bytes, no record")
        << QStringList{u"歌.mp3.part"_s} << u"歌 (2).mp3"_s << QString();
    QTest::newRow("empty part, no record") << QStringList{u"歌.mp3.part0"_s} << u"歌.mp3"_s << QString();
    QTest::newRow("finished, record left")
        << QStringList{u"歌.mp3"_s, u"歌.mp3.json=this>歌.mp3"_s} << u"歌.mp3"_s << u"歌.mp3"_s;
    QTest::newRow("finished as a copy")
        << QStringList{u"歌.mp3"_s, u"歌 (2).mp3"_s, u"歌.mp3.json=this>歌 (2).mp3"_s} << u"歌.mp3"_s
        << u"歌 (2).mp3"_s;
    QTest::newRow("renamed file gone")
        << QStringList{u"歌.mp3.json=this>歌.mp3"_s} << u"歌.mp3"_s << QString();
    QTest::newRow("final name of another link")
        << QStringList{u"歌.mp3"_s, u"歌.mp3.json=other>歌.mp3"_s} << u"歌 (2).mp3"_s << QString();
}

void TestTargetChoice::leftoversOfEarlierRuns()
{
    QFETCH(QStringList, present);
    QFETCH(QString, target);
    QFETCH(QString, finished);
    QTemporaryDir folder;
    const QDir dir(folder.path());
    for (const QString& entry : present) {
        if (entry.endsWith(u".part0"_s)) {
            QVERIFY(writeFile(dir.filePath(entry.chopped(1)), {}));
        } else if (const qsizetype record = entry.indexOf(u".json="_s); record >= 0) {
            const QStringList parts = entry.mid(record + 6).split(u'>');
            const QString link = parts.at(0) == u"this" ? Link : u"http://b.example/2.mp3"_s;
            const QString finalPath = parts.size() > 1 ? dir.filePath(parts.at(1)) : QString();
            const QString song = dir.filePath(entry.left(record));
            QVERIFY(writeRunningPartRecord(partRecordPathFor(song), {link, "\"e\"", {}, 4}, finalPath).ok);
        } else {
            QVERIFY(writeFile(dir.filePath(entry), "song"));
        }
    }
    const TargetChoice choice = chooseTarget(folder.path(), u"歌.mp3"_s, Link, {}, [](const QString& path) {
        return readPartRecord(partRecordPathFor(path));
    });
    QCOMPARE(choice.targetPath, dir.filePath(target));
    QCOMPARE(choice.finished ? choice.finished->path : QString(),
             finished.isEmpty() ? QString() : dir.filePath(finished));
}

QTEST_GUILESS_MAIN(TestTargetChoice)
#include "tst_targetchoice.moc"
