// SPDX-License-Identifier: MIT
#include "localservice/searchquery.h"

#include <QTest>

using namespace Qorvin::LocalService;

namespace {
const QByteArray Prefix = "z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30&tn=baidump3&word=";
}

class TestSearchQuery : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void refuses_data();
    void refuses();
};

void TestSearchQuery::reads_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("offset");
    QTest::newRow("the program's first page") << Prefix + "%CB%D5%E9%F8&pn=0" << QStringLiteral("苏轼") << 0;
    QTest::newRow("a later page") << Prefix + "abc&pn=60" << QStringLiteral("abc") << 60;
    QTest::newRow("utf-8 when asked")
        << QByteArray("ie=utf-8&word=%E8%8B%8F%E8%BD%BC&pn=30") << QStringLiteral("苏轼") << 30;
    QTest::newRow("ie in capitals") << QByteArray("word=%E8%8B%8F&ie=UTF-8") << QStringLiteral("苏") << 0;
    QTest::newRow("space as %20") << Prefix + "a%20b&pn=0" << QStringLiteral("a b") << 0;
    QTest::newRow("space as +") << Prefix + "a+b&pn=0" << QStringLiteral("a b") << 0;
    QTest::newRow("& cuts the keyword") << Prefix + "rock&roll&pn=0" << QStringLiteral("rock") << 0;
    QTest::newRow("bad escapes stay") << QByteArray("word=%zz%4&pn=0") << QStringLiteral("%zz%4") << 0;
    QTest::newRow("escaped percent") << QByteArray("word=100%25") << QStringLiteral("100%") << 0;
    QTest::newRow("no word") << QByteArray("pn=30") << QString() << 30;
    QTest::newRow("first word counts") << QByteArray("word=a&word=b") << QStringLiteral("a") << 0;
    QTest::newRow("offset missing") << QByteArray("word=a") << QStringLiteral("a") << 0;
    QTest::newRow("offset not a number") << QByteArray("word=a&pn=3x") << QStringLiteral("a") << 0;
    QTest::newRow("offset negative") << QByteArray("word=a&pn=-30") << QStringLiteral("a") << 0;
    QTest::newRow("offset huge") << QByteArray("word=a&pn=99999999999999999999") << QStringLiteral("a")
                                 << INT_MAX;
    QTest::newRow("empty query") << QByteArray() << QString() << 0;
}

void TestSearchQuery::reads()
{
    QFETCH(QByteArray, query);
    QFETCH(QString, word);
    QFETCH(int, offset);
    const SearchQuery read = parseSearchQuery(query);
    QVERIFY2(read.isValid(), qPrintable(read.error));
    QCOMPARE(read.word, word);
    QCOMPARE(read.offset, offset);
}

void TestSearchQuery::refuses_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("not gbk") << QByteArray("word=%FF%FE&pn=0");
    QTest::newRow("cut-off gbk") << QByteArray("word=%CB&pn=0");
    QTest::newRow("not utf-8") << QByteArray("ie=utf-8&word=%CB%D5");
    QTest::newRow("100 KB word") << "word=" + QByteArray(100 * 1024, 'a');
}

void TestSearchQuery::refuses()
{
    QFETCH(QByteArray, query);
    const SearchQuery read = parseSearchQuery(query);
    QVERIFY(!read.isValid());
    QVERIFY(read.word.isEmpty());
}

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "tst_searchquery.moc"
