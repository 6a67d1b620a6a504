// SPDX-License-Identifier: MIT
#include "search/navigationurl.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qorvin;

class TestNavigationUrl : public QObject
{
    Q_OBJECT

private slots:
    void encodesAsTheServiceExpects_data();
    void encodesAsTheServiceExpects();
    void fragmentIsNeverSent();
    void queryKeepsGbkBytesThroughQUrl();
    void localPageNamesTheFile_data();
    void localPageNamesTheFile();
};

void TestNavigationUrl::encodesAsTheServiceExpects_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("encoded");

    const QString prefix =
        QStringLiteral("http://mp3.baidu.com/m?z=0&cl=3&ct=134217728&sn=&lm=0&cm=1&sc=1&bu=&rn=30"
                       "&tn=baidump3&word=");
    const QByteArray encodedPrefix = prefix.toLatin1();
    QTest::newRow("ascii keyword") << prefix + QStringLiteral("abc&pn=0") << encodedPrefix + "abc&pn=0";
    QTest::newRow("chinese as gbk") << prefix + QStringLiteral("苏轼&pn=30")
                                    << encodedPrefix + "%CB%D5%E9%F8&pn=30";
    QTest::newRow("blank") << prefix + QStringLiteral("a b&pn=0") << encodedPrefix + "a%20b&pn=0";
    QTest::newRow("ampersand splits the query")
        << prefix + QStringLiteral("a&b&pn=0") << encodedPrefix + "a&b&pn=0";
    QTest::newRow("hash starts the fragment")
        << prefix + QStringLiteral("a#b&pn=0") << encodedPrefix + "a#b&pn=0";
    QTest::newRow("percent is the user's character")
        << prefix + QStringLiteral("100%&pn=0") << encodedPrefix + "100%25&pn=0";
    QTest::newRow("unsafe ascii escaped") << QStringLiteral("http://h/m?w=<\"x\">|`{}^\\\t")
                                          << QByteArray("http://h/m?w=%3C%22x%22%3E%7C%60%7B%7D%5E%5C%09");
    QTest::newRow("plus and equals kept")
        << QStringLiteral("http://h/m?w=C++=1") << QByteArray("http://h/m?w=C++=1");
    QTest::newRow("full-width blank is gbk")
        << QStringLiteral("http://h/m?w=\u3000") << QByteArray("http://h/m?w=%A1%A1");
    QTest::newRow("character gbk lacks")
        << QStringLiteral("http://h/m?w=a\U0001F600b") << QByteArray("http://h/m?w=a%3Fb");
    QTest::newRow("lone surrogate") << QStringLiteral("http://h/m?w=a") + QChar(0xD800) + QStringLiteral("b")
                                    << QByteArray("http://h/m?w=a%3Fb");
    QTest::newRow("second question mark belongs to the query")
        << QStringLiteral("http://h/m?a=?") << QByteArray("http://h/m?a=?");
    QTest::newRow("topic list with fragment")
        << QStringLiteral("http://list.mp3.baidu.com/list/dj.html#top10")
        << QByteArray("http://list.mp3.baidu.com/list/dj.html#top10");
    QTest::newRow("path is utf-8") << QStringLiteral("file:///home/用户/result.htm")
                                   << QByteArray("file:///home/%E7%94%A8%E6%88%B7/result.htm");
    QTest::newRow("path keeps its escapes")
        << QStringLiteral("file:///tmp/a%20b/result.htm") << QByteArray("file:///tmp/a%20b/result.htm");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestNavigationUrl::encodesAsTheServiceExpects()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, encoded);
    QCOMPARE(encodedNavigationAddress(address), encoded);
}

void TestNavigationUrl::fragmentIsNeverSent()
{
    const QUrl url = navigationUrl(QStringLiteral("http://mp3.baidu.com/m?word=a#b&pn=0"));
    QCOMPARE(url.query(QUrl::FullyEncoded), QStringLiteral("word=a"));
    QCOMPARE(url.fragment(QUrl::FullyEncoded), QStringLiteral("b&pn=0"));
}

void TestNavigationUrl::queryKeepsGbkBytesThroughQUrl()
{
    // Some GBK pairs are also valid UTF-8 (lead C2-DF, trail 80-BF); QUrl must give the bytes back.
    const QString keyword = QStringLiteral("苏轼丂兀");
    const QUrl url =
        navigationUrl(QStringLiteral("http://mp3.baidu.com/m?word=") + keyword + QStringLiteral("&pn=0"));
    QVERIFY(url.isValid());
    const QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    QVERIFY(query.startsWith("word=%CB%D5%E9%F8"));
    QByteArray expected("word=");
    QStringEncoder gbk("GBK");
    expected += QByteArray(gbk.encode(keyword)).toPercentEncoding() + "&pn=0";
    QCOMPARE(QByteArray::fromPercentEncoding(query), QByteArray::fromPercentEncoding(expected));
}

void TestNavigationUrl::localPageNamesTheFile_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("file");
    // "file:///" + folder + "\result.htm", with a folder that starts with "/" on this system.
    QTest::newRow("windows style, unix folder")
        << QStringLiteral("file:///") + QStringLiteral("/tmp/程序 x") + QStringLiteral("\\result.htm")
        << QStringLiteral("/tmp/程序 x/result.htm");
    QTest::newRow("windows style, drive letter")
        << QStringLiteral("file:///C:\\Tools\\result.htm") << QStringLiteral("/C:/Tools/result.htm");
    QTest::newRow("proper file url kept")
        << QUrl::fromLocalFile(QStringLiteral("/tmp/程序 x/100%/result.htm")).toString()
        << QStringLiteral("/tmp/程序 x/100%/result.htm");
}

void TestNavigationUrl::localPageNamesTheFile()
{
    QFETCH(QString, address);
    QFETCH(QString, file);
    const QUrl url = navigationUrl(address);
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), file);
}

QTEST_GUILESS_MAIN(TestNavigationUrl)
#include "tst_navigationurl.moc"
