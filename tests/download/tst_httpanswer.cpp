// SPDX-License-Identifier: MIT
#include "download/httpanswer.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestHttpAnswer : public QObject
{
    Q_OBJECT

private slots:
    void contentRanges_data();
    void contentRanges();
    void retryAfter_data();
    void retryAfter();
    void mp3Starts_data();
    void mp3Starts();
};

void TestHttpAnswer::contentRanges_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<qint64>("total");

    QTest::newRow("range") << "bytes 100-199/1000"_ba << true << 100LL << 199LL << 1000LL;
    QTest::newRow("unit in upper case") << "Bytes 0-0/1"_ba << true << 0LL << 0LL << 1LL;
    QTest::newRow("unknown total") << "bytes 5-9/*"_ba << true << 5LL << 9LL << -1LL;
    QTest::newRow("unsatisfied") << "bytes */1000"_ba << true << -1LL << -1LL << 1000LL;
    QTest::newRow("last before first") << "bytes 9-5/10"_ba << false << -1LL << -1LL << -1LL;
    QTest::newRow("last past the total") << "bytes 0-10/10"_ba << false << -1LL << -1LL << -1LL;
    QTest::newRow("negative") << "bytes -1-5/10"_ba << false << -1LL << -1LL << -1LL;
    QTest::newRow("other unit") << "items 0-1/2"_ba << false << -1LL << -1LL << -1LL;
    QTest::newRow("empty") << QByteArray() << false << -1LL << -1LL << -1LL;
    QTest::newRow("no total") << "bytes 0-1"_ba << false << -1LL << -1LL << -1LL;
}

void TestHttpAnswer::contentRanges()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, valid);
    const ContentRange range = parseContentRange(value);
    QCOMPARE(range.valid, valid);
    if (valid) {
        QTEST(range.first, "first");
        QTEST(range.last, "last");
        QTEST(range.total, "total");
    }
}

void TestHttpAnswer::retryAfter_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("seconds") << "3"_ba << 3000LL;
    QTest::newRow("date") << "Wed, 21 Oct 2026 07:28:10 GMT"_ba << 10000LL;
    QTest::newRow("date in the past") << "Wed, 21 Oct 2026 07:27:00 GMT"_ba << 0LL;
    QTest::newRow("absent") << QByteArray() << -1LL;
    QTest::newRow("garbage") << "soon"_ba << -1LL;
    QTest::newRow("negative") << "-5"_ba << -1LL;
}

void TestHttpAnswer::retryAfter()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, expected);
    const QDateTime now(QDate(2026, 10, 21), QTime(7, 28), Qt::UTC);
    QCOMPARE(retryAfterMs(value, now), expected);
}

void TestHttpAnswer::mp3Starts_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("isMp3");

    QTest::newRow("ID3v2 tag") << "ID3\x04\x00"_ba << true;
    QTest::newRow("MPEG-1 layer III frame") << "\xFF\xFB\x90\x44"_ba << true;
    QTest::newRow("MPEG-2.5 frame") << "\xFF\xE3\x18\xC4"_ba << true;
    QTest::newRow("HTML page") << "<!DOCTYPE html>"_ba << false;
    QTest::newRow("reserved version") << "\xFF\xEB\x90\x44"_ba << false;
    QTest::newRow("reserved layer") << "\xFF\xF9\x90\x44"_ba << false;
    QTest::newRow("bad bit rate") << "\xFF\xFB\xF0\x44"_ba << false;
    QTest::newRow("reserved sample rate") << "\xFF\xFB\x9C\x44"_ba << false;
    QTest::newRow("too short") << "\xFF\xFB"_ba << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestHttpAnswer::mp3Starts()
{
    QFETCH(QByteArray, head);
    QTEST(looksLikeMp3(head), "isMp3");
}

QTEST_GUILESS_MAIN(TestHttpAnswer)
#include "tst_httpanswer.moc"
