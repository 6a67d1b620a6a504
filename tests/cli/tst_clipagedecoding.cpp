// SPDX-License-Identifier: MIT
// Fetched pages into text: the charset the header declares, then the <meta>, as a browser reads them.
#include "cli/pagedecoding.h"

#include <QStringEncoder>
#include <QStringDecoder>
#include <QTest>

using namespace Qorvin::Cli;

namespace {

QByteArray encoded(const char* encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

QString page(const QString& head, const QString& body)
{
    return QStringLiteral("<html><head>") + head + QStringLiteral("</head><body>") + body +
           QStringLiteral("</body></html>");
}

const QString GbMeta =
    QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">");

} // namespace

class TestCliPageDecoding : public QObject
{
    Q_OBJECT

private slots:
    void decodedLikeBrowser_data();
    void decodedLikeBrowser();
};

void TestCliPageDecoding::decodedLikeBrowser_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QString>("text");

    // 镕 and 堃 are in GBK but not in GB2312: a page labelled gb2312 still carries them.
    const QString chinese = page(GbMeta, QStringLiteral("苏轼 朱镕基 堃"));
    QTest::newRow("header gb2312, characters beyond it")
        << QByteArray("text/html; charset=gb2312") << encoded("GBK", chinese) << QByteArray("gb2312")
        << chinese;
    QTest::newRow("header charset quoted, other case")
        << QByteArray("text/html; Charset=\"GBK\"") << encoded("GBK", chinese) << QByteArray("gbk")
        << chinese;
    QTest::newRow("meta only") << QByteArray("text/html") << encoded("GBK", chinese) << QByteArray("gb2312")
                               << chinese;
    const QString html5Meta = page(QStringLiteral("<meta charset=utf-8>"), QStringLiteral("苏轼"));
    QTest::newRow("html5 meta") << QByteArray() << html5Meta.toUtf8() << QByteArray("utf-8") << html5Meta;
    // The header wins: a page whose meta says gb2312 but that is sent as UTF-8.
    const QString utf8Page = page(GbMeta, QStringLiteral("柳永"));
    QTest::newRow("header over meta")
        << QByteArray("text/html; charset=utf-8") << utf8Page.toUtf8() << QByteArray("utf-8") << utf8Page;
    const QString plain = page({}, QStringLiteral("苏轼"));
    QTest::newRow("byte-order mark over the header")
        << QByteArray("text/html; charset=gb2312") << QByteArray("\xEF\xBB\xBF") + plain.toUtf8()
        << QByteArray("gb2312") << plain;
    // The engine never takes undeclared bytes for UTF-8: it reads them as windows-1252.
    const QString utf8AsWindows1252 = QString(QStringDecoder("windows-1252").decode(plain.toUtf8()));
    QTest::newRow("nothing declared, valid UTF-8")
        << QByteArray() << plain.toUtf8() << QByteArray() << utf8AsWindows1252;
    QTest::newRow("nothing declared, neither GBK nor UTF-8")
        << QByteArray() << QByteArray("<p>Caf\xE9</p>") << QByteArray() << QStringLiteral("<p>Café</p>");
    QTest::newRow("nothing declared, GBK bytes")
        << QByteArray("text/html") << encoded("GBK", plain) << QByteArray() << plain;
    QTest::newRow("unknown label, valid UTF-8")
        << QByteArray("text/html; charset=x-nonesuch") << plain.toUtf8() << QByteArray("x-nonesuch")
        << utf8AsWindows1252;
    // Only a whole "charset" word with "=" after it names the charset, and only a <meta> tag.
    QTest::newRow("header word before the parameter")
        << QByteArray("text/html; x-charset-note; charset = 'GB2312'") << encoded("GBK", chinese)
        << QByteArray("gb2312") << chinese;
    const QString secondMeta = page(QStringLiteral("<metadata charset=utf-8><meta name=x><META CHARSET=gbk>"),
                                    QStringLiteral("苏轼"));
    QTest::newRow("meta after other tags")
        << QByteArray() << encoded("GBK", secondMeta) << QByteArray("gbk") << secondMeta;
    // A meta past the first 1024 bytes is not looked for.
    const QString lateMeta = QStringLiteral("<!--") + QString(1100, u'x') + QStringLiteral("-->") + GbMeta +
                             QStringLiteral("苏轼");
    QTest::newRow("meta too late") << QByteArray() << encoded("GBK", lateMeta) << QByteArray() << lateMeta;
}

void TestCliPageDecoding::decodedLikeBrowser()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, charset);
    QFETCH(QString, text);
    QCOMPARE(declaredCharset(contentType, body), charset);
    QCOMPARE(decodePage(body, contentType), text);
}

QTEST_GUILESS_MAIN(TestCliPageDecoding)
#include "tst_clipagedecoding.moc"
