// SPDX-License-Identifier: MIT
#include "gbktext.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestGbkText : public QObject
{
    Q_OBJECT

private slots:
    void encodes_data();
    void encodes();
    void appendsToWhatIsThere();
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
        << QString(QChar(0xD83D)) + u"中"_s << QByteArray("&#55357;\xD6\xD0");
    QTest::newRow("lone low surrogate at end") << u"x"_s + QChar(0xDE00) << QByteArray("x&#56832;");
    QTest::newRow("reversed pair") << QString(QChar(0xDE00)) + QChar(0xD83D)
                                   << QByteArray("&#56832;&#55357;");
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

void TestGbkText::appendsToWhatIsThere()
{
    GbkTextEncoder gbk;
    QByteArray out("<");
    gbk.append(out, u"\U0001F600"_s);
    gbk.append(out, u"歌"_s);
    gbk.append(out, u">"_s);
    QCOMPARE(out, QByteArray("<&#128512;\xB8\xE8>"));
}

QTEST_GUILESS_MAIN(TestGbkText)
#include "tst_gbktext.moc"
