// SPDX-License-Identifier: MIT
#include "download/diskjobs.h"
#include "download/partrecord.h"
#include "download/taggedfile.h"
#include "tests/filecontents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

} // namespace

class TestDiskJobs : public QObject
{
    Q_OBJECT

private slots:
    void songsFinishedTogetherKeepTheirOwnFiles_data();
    void songsFinishedTogetherKeepTheirOwnFiles();
    void jobsOfOneSongStayInOrder_data();
    void jobsOfOneSongStayInOrder();
};

void TestDiskJobs::songsFinishedTogetherKeepTheirOwnFiles_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("targets");

    QTest::newRow("free names") << QStringList() << QStringList{u"a.mp3"_s, u"b.mp3"_s};
    QTest::newRow("taken name") << QStringList{u"a.mp3"_s} << QStringList{u"a.mp3"_s};
    // The first song's numbered name is the second song's own name.
    QTest::newRow("numbered name of another song")
        << QStringList{u"a.mp3"_s} << QStringList{u"a.mp3"_s, u"a (2).mp3"_s};
    QTest::newRow("several numbered names taken")
        << QStringList{u"a.mp3"_s, u"a (2).mp3"_s}
        << QStringList{u"a.mp3"_s, u"a (3).mp3"_s, u"a (4).mp3"_s, u"a (2) (2).mp3"_s};
}

void TestDiskJobs::songsFinishedTogetherKeepTheirOwnFiles()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, targets);
    QTemporaryDir folder;
    const QDir dir(folder.path());
    for (const QString& name : existing)
        QVERIFY(writeFile(dir.filePath(name), "old " + name.toUtf8()));

    DiskJobs jobs;
    QHash<quint64, TransferOutcome> outcomes;
    connect(&jobs, &DiskJobs::finalized, this,
            [&](quint64 token, const TransferOutcome& outcome) { outcomes.insert(token, outcome); });
    QHash<quint64, QByteArray> contentOf;
    QHash<quint64, QString> targetOf;
    for (const QString& name : targets) {
        const QString target = dir.filePath(name);
        const QByteArray content = QByteArray(64 * 1024, 'x') + name.toUtf8();
        QVERIFY(writeFile(partPathFor(target), content));
        jobs.writeRecord(target, {u"http://a.example/"_s + name, "\"e\"", {}, content.size()});
        jobs.startWriteback(target, 0, content.size());
        const quint64 token = jobs.finalize(target, content.size());
        contentOf.insert(token, content);
        targetOf.insert(token, target);
    }
    QTRY_COMPARE(outcomes.size(), targets.size());

    QSet<QString> finalPaths;
    for (auto outcome = outcomes.cbegin(); outcome != outcomes.cend(); ++outcome) {
        QVERIFY2(outcome->ok, qPrintable(outcome->reason));
        finalPaths.insert(outcome->finalPath);
        QCOMPARE(readFile(outcome->finalPath), contentOf.value(outcome.key()));
        // The record names the final file until the song is stored as complete.
        QCOMPARE(finalPathIn(partRecordPathFor(targetOf.value(outcome.key()))), outcome->finalPath);
        jobs.settleRecord(targetOf.value(outcome.key()), outcome->finalPath);
    }
    jobs.waitForDone();
    QCOMPARE(finalPaths.size(), targets.size());
    for (const QString& name : existing)
        QCOMPARE(readFile(dir.filePath(name)), "old " + name.toUtf8());
    QCOMPARE(dir.entryList(QDir::Files).size(), existing.size() + targets.size()); // no part, no record
}

void TestDiskJobs::jobsOfOneSongStayInOrder_data()
{
    QTest::addColumn<bool>("removedLast");

    QTest::newRow("record written, then removed") << true;
    QTest::newRow("removed, then written again") << false;
}

void TestDiskJobs::jobsOfOneSongStayInOrder()
{
    QFETCH(bool, removedLast);
    QTemporaryDir folder;
    const QString target = QDir(folder.path()).filePath(u"a.mp3"_s);
    QVERIFY(writeFile(partPathFor(target), "ID3"));
    QVERIFY(writeFile(taggedCopyPathFor(target), "ID3")); // a run killed while tagging

    DiskJobs jobs;
    const PartRecord last{u"http://a.example/2"_s, {}, "Mon, 07 Dec 2026 10:00:00 GMT", 200};
    // Many jobs at once, so a later one would overtake an earlier one if their order were lost.
    for (int round = 0; round < 50; ++round) {
        jobs.writeRecord(target, {u"http://a.example/1"_s, "\"e\"", {}, 100});
        jobs.removePartFiles(target);
        if (!removedLast)
            jobs.writeRecord(target, last);
    }
    QCOMPARE(jobs.readRecord(target).url, removedLast ? QString() : last.url);
    jobs.waitForDone();

    const PartRecord stored = readPartRecord(partRecordPathFor(target));
    QCOMPARE(stored.url, removedLast ? QString() : last.url);
    QCOMPARE(stored.expectedSize, removedLast ? -1 : last.expectedSize);
    QVERIFY(!QFileInfo::exists(partPathFor(target)));
    QVERIFY(!QFileInfo::exists(taggedCopyPathFor(target)));
}

QTEST_GUILESS_MAIN(TestDiskJobs)
#include "tst_diskjobs.moc"
