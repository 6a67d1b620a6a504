// SPDX-License-Identifier: MIT
#include "localservice/byterange.h"

#include <QTest>

using namespace Qorvin::LocalService;

class TestByteRange : public QObject
{
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
};

void TestByteRange::ranges_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    const int whole = ByteRange::Whole, part = ByteRange::Part, none = ByteRange::Unsatisfiable;
    // The file is 1000 bytes long.
    QTest::newRow("no header") << QByteArray() << whole << 0LL << -1LL;
    QTest::newRow("first hundred") << QByteArray("bytes=0-99") << part << 0LL << 99LL;
    QTest::newRow("resume") << QByteArray("bytes=400-") << part << 400LL << 999LL;
    QTest::newRow("last 300") << QByteArray("bytes=-300") << part << 700LL << 999LL;
    QTest::newRow("last more than all") << QByteArray("bytes=-5000") << part << 0LL << 999LL;
    QTest::newRow("end past the file") << QByteArray("bytes=990-2000") << part << 990LL << 999LL;
    QTest::newRow("last byte") << QByteArray("bytes=999-999") << part << 999LL << 999LL;
    QTest::newRow("unit in capitals") << QByteArray("BYTES=0-99") << part << 0LL << 99LL;
    QTest::newRow("unit in mixed case") << QByteArray("Bytes=400-") << part << 400LL << 999LL;
    QTest::newRow("unit alone") << QByteArray("bytes") << whole << 0LL << -1LL;
    QTest::newRow("blanks") << QByteArray(" bytes= 5 - 9 ") << part << 5LL << 9LL;
    QTest::newRow("starts at the end") << QByteArray("bytes=1000-") << none << 0LL << -1LL;
    QTest::newRow("last zero") << QByteArray("bytes=-0") << none << 0LL << -1LL;
    QTest::newRow("several ranges") << QByteArray("bytes=0-1,5-6") << whole << 0LL << -1LL;
    QTest::newRow("other unit") << QByteArray("items=0-1") << whole << 0LL << -1LL;
    QTest::newRow("backwards") << QByteArray("bytes=9-5") << whole << 0LL << -1LL;
    QTest::newRow("no dash") << QByteArray("bytes=5") << whole << 0LL << -1LL;
    QTest::newRow("sign") << QByteArray("bytes=+5-9") << whole << 0LL << -1LL;
    QTest::newRow("huge number") << QByteArray("bytes=99999999999999999999999-") << whole << 0LL << -1LL;
    QTest::newRow("letters") << QByteArray("bytes=a-b") << whole << 0LL << -1LL;
}

void TestByteRange::ranges()
{
    QFETCH(QByteArray, header);
    QFETCH(int, kind);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    const ByteRange range = byteRangeOf(header, 1000);
    QCOMPARE(int(range.kind), kind);
    if (range.kind == ByteRange::Part) {
        QCOMPARE(range.first, first);
        QCOMPARE(range.last, last);
    }
}

QTEST_GUILESS_MAIN(TestByteRange)
#include "tst_byterange.moc"
