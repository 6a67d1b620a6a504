// SPDX-License-Identifier: MIT
#include "base/gbktext.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestGbkText : public QObject
{
    Q_OBJECT

private slots:
    void encodes_data();
    void encodes();
    void appendsToWhatIsThere_data();
    void appendsToWhatIsThere();
    void strictBytes_data();
    void strictBytes();
};

void TestGbkText::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << u"a'b<c>&d?"_s << QByteArray("a'b<c>&d?");
    QTest::newRow("chinese") << u"中文"_s << QByteArray("\xD6\xD0\xCE\xC4");
    QTest::newRow("full-width and middle dot") << u"！·"_s << QByteArray("\xA3\xA1\xA1\xA4");
    QTest::newRow("surrogate pair is one reference") << u"\U0001F600"_s << QByteArray("&#128512;");
    QTest::newRow("han outside gbk, plane 2") << u"\U00020BB7"_s << QByteArray("&#134071;");
    QTest::newRow("han outside gbk, extension A") << u"\u3400"_s << QByteArray("&#13312;");
    QTest::newRow("no-break space") << u"a\u00A0b"_s << QByteArray("a&#160;b");
    QTest::newRow("mixed keeps the rest") << u"中\U0001F600文?"_s << QByteArray("\xD6\xD0&#128512;\xCE\xC4?");
    QTest::newRow("lone high surrogate")
        << QString(QChar(0xD83D)) + u"中"_s << QByteArray("&#65533;\xD6\xD0");
    QTest::newRow("lone low surrogate at end") << u"x"_s + QChar(0xDE00) << QByteArray("x&#65533;");
    QTest::newRow("reversed pair") << QString(QChar(0xDE00)) + QChar(0xD83D)
                                   << QByteArray("&#65533;&#65533;");
}

void TestGbkText::encodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    GbkTextEncoder gbk;
    QVERIFY(gbk.isValid());
    QByteArray out;
    gbk.append(out, text);
    QCOMPARE(out, bytes);
}

void TestGbkText::appendsToWhatIsThere_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one after another")
        << QStringList{u"\U0001F600"_s, u"歌"_s, u">"_s} << QByteArray("<&#128512;\xB8\xE8>");
    // Every text after one that held a character outside GBK still finds its own.
    QTest::newRow("outside GBK in every text")
        << QStringList{u"\U00020000"_s, u"\U0001F3B5 歌"_s, u"x\U00020000"_s}
        << QByteArray("<&#131072;&#127925; \xB8\xE8x&#131072;");
    QTest::newRow("after a lone surrogate")
        << QStringList{QString(QChar(0xD83D)), u"\u3400"_s} << QByteArray("<&#65533;&#13312;");
}

void TestGbkText::appendsToWhatIsThere()
{
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, bytes);
    GbkTextEncoder gbk;
    QByteArray out("<");
    for (const QString& text : std::as_const(texts))
        gbk.append(out, text);
    QCOMPARE(out, bytes);
}

void TestGbkText::strictBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("encodable");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << u"a b"_s << true << QByteArray("a b");
    QTest::newRow("chinese") << u"苏轼 a"_s << true << QByteArray("\xCB\xD5\xE9\xF8 a");
    QTest::newRow("outside GBK") << u"水・调"_s << false << QByteArray();
    QTest::newRow("plane 2") << u"\U00020000"_s << false << QByteArray();
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << QByteArray();
}

void TestGbkText::strictBytes()
{
    QFETCH(QString, text);
    QFETCH(bool, encodable);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> encoded = gbkBytes(text);
    QCOMPARE(encoded.has_value(), encodable);
    QCOMPARE(encoded.value_or(QByteArray()), bytes);
}

QTEST_GUILESS_MAIN(TestGbkText)
#include "tst_gbktext.moc"
