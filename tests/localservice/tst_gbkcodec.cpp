// SPDX-License-Identifier: MIT
#include "localservice/gbkcodec.h"

#include <QTest>

using namespace Qorvin::LocalService;

class TestGbkCodec : public QObject
{
    Q_OBJECT

private slots:
    void pageRoundTrip_data();
    void pageRoundTrip();
    void encodeGbkRefusesWhatItCannotWrite();
    void decodesGbk_data();
    void decodesGbk();
    void decodeUtf8RefusesBrokenBytes();
};

void TestGbkCodec::pageRoundTrip_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("gbk");
    QTest::addColumn<QString>("readBack"); // the bytes read as GBK
    QTest::newRow("ascii") << QStringLiteral("<p>a&b</p>") << QByteArray("<p>a&b</p>")
                           << QStringLiteral("<p>a&b</p>");
    QTest::newRow("gb2312") << QStringLiteral("苏轼") << QByteArray("\xcb\xd5\xe9\xf8")
                            << QStringLiteral("苏轼");
    QTest::newRow("middle dot") << QStringLiteral("·") << QByteArray("\xa1\xa4") << QStringLiteral("·");
    QTest::newRow("katakana dot as reference")
        << QStringLiteral("水・调") << QByteArray("\xcb\xae&#12539;\xb5\xf7")
        << QStringLiteral("水&#12539;调");
    QTest::newRow("surrogate pair is one code point")
        << QStringLiteral("a𝄞b") << QByteArray("a&#119070;b") << QStringLiteral("a&#119070;b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD834)) + u'x' << QByteArray("&#65533;x")
                                    << QStringLiteral("&#65533;x");
}

void TestGbkCodec::pageRoundTrip()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, gbk);
    QFETCH(QString, readBack);
    const QByteArray encoded = encodeGbkPage(html);
    QCOMPARE(encoded, gbk);
    QCOMPARE(decodeGbk(encoded).value_or(QStringLiteral("<invalid>")), readBack);
}

void TestGbkCodec::encodeGbkRefusesWhatItCannotWrite()
{
    QCOMPARE(encodeGbk(u"苏轼 a").value_or(QByteArray()), QByteArray("\xcb\xd5\xe9\xf8 a"));
    QVERIFY(!encodeGbk(u"水・调").has_value());
    QVERIFY(!encodeGbk(u"𝄞").has_value());
}

void TestGbkCodec::decodesGbk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("text");
    QTest::newRow("two characters") << QByteArray("\xcb\xd5\xe9\xf8") << true << QStringLiteral("苏轼");
    QTest::newRow("gbk extension") << QByteArray("\x81\x40") << true << QStringLiteral("丂");
    QTest::newRow("empty") << QByteArray() << true << QString();
    QTest::newRow("cut-off double byte") << QByteArray("a\xcb") << false << QString();
    QTest::newRow("bad trail byte") << QByteArray("\xcb\x20") << false << QString();
    QTest::newRow("byte ff") << QByteArray("\xff") << false << QString();
    QTest::newRow("user-defined area") << QByteArray("\xaa\xa1") << false << QString();
}

void TestGbkCodec::decodesGbk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(QString, text);
    const std::optional<QString> decoded = Qorvin::LocalService::decodeGbk(bytes);
    QCOMPARE(decoded.has_value(), valid);
    if (valid)
        QCOMPARE(*decoded, text);
}

void TestGbkCodec::decodeUtf8RefusesBrokenBytes()
{
    QCOMPARE(decodeUtf8("\xe8\x8b\x8f").value_or(QString()), QStringLiteral("苏"));
    QVERIFY(!decodeUtf8("\xe8\x8b").has_value());
    QVERIFY(!decodeUtf8("\xcb\xd5").has_value());
}

QTEST_GUILESS_MAIN(TestGbkCodec)
#include "tst_gbkcodec.moc"
