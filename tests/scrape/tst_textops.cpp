// SPDX-License-Identifier: MIT
#include "base/trimspaces.h"
#include "scrape/textops.h"

#include <QTest>

using namespace Qorvin;

class TestTextOps : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void keep_data();
    void keep();
    void trimSpaces_data();
    void trimSpaces();
    void keepLastOfWorkingText();
};

void TestTextOps::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<qsizetype>("position");

    QTest::newRow("at the start") << QStringLiteral("帮助x") << QStringLiteral("帮助") << qsizetype(1);
    QTest::newRow("first of two") << QStringLiteral("a-b-c") << QStringLiteral("-") << qsizetype(2);
    QTest::newRow("missing") << QStringLiteral("abc") << QStringLiteral("d") << qsizetype(0);
    QTest::newRow("case-sensitive") << QStringLiteral("</a></A>") << QStringLiteral("</A>") << qsizetype(5);
    QTest::newRow("after a surrogate pair")
        << QStringLiteral("𝄞.mp3") << QStringLiteral(".mp3") << qsizetype(3);
    QTest::newRow("longer than the text")
        << QStringLiteral("_bl") << QStringLiteral("_blank>") << qsizetype(0);
}

void TestTextOps::find()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(qsizetype, position);
    QCOMPARE(TextOps::find(text, marker), position);
}

void TestTextOps::keep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("n");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("negative") << QStringLiteral("abc") << qsizetype(-1) << true << QString() << QString();
    QTest::newRow("zero") << QStringLiteral("abc") << qsizetype(0) << false << QString() << QString();
    QTest::newRow("some") << QStringLiteral("abcd") << qsizetype(2) << false << QStringLiteral("ab")
                          << QStringLiteral("cd");
    QTest::newRow("more than the length")
        << QStringLiteral("ab") << qsizetype(9) << false << QStringLiteral("ab") << QStringLiteral("ab");
    QTest::newRow("half a surrogate pair")
        << QStringLiteral("𝄞") << qsizetype(1) << false << QString(QChar(0xD834)) << QString(QChar(0xDD1E));
}

void TestTextOps::keep()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, n);
    QFETCH(bool, fails);
    QFETCH(QString, first);
    QFETCH(QString, last);

    const auto keptFirst = TextOps::keepFirst(text, n);
    const auto keptLast = TextOps::keepLast(text, n);
    QCOMPARE(!keptFirst, fails);
    QCOMPARE(!keptLast, fails);
    if (!fails) {
        QCOMPARE(keptFirst->toString(), first);
        QCOMPARE(keptLast->toString(), last);
    }
}

void TestTextOps::trimSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("blanks both sides") << QStringLiteral("  a b  ") << QStringLiteral("a b");
    QTest::newRow("only blanks") << QStringLiteral("   ") << QString();
    QTest::newRow("tab and line break stay") << QStringLiteral("\ta\n") << QStringLiteral("\ta\n");
    QTest::newRow("full-width blank stays") << QStringLiteral("\u3000歌 ") << QStringLiteral("\u3000歌");
    QTest::newRow("no-break space stays") << QStringLiteral("\u00a0x") << QStringLiteral("\u00a0x");
}

void TestTextOps::trimSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(Qorvin::trimSpaces(text).toString(), trimmed);
}

void TestTextOps::keepLastOfWorkingText()
{
    WorkingText text(QStringLiteral("abcdef"));
    QVERIFY(!TextOps::keepLastOf(text, -1));
    QCOMPARE(text.text(), QStringLiteral("abcdef"));
    QVERIFY(TextOps::keepLastOf(text, 4));
    QCOMPARE(text.text(), QStringLiteral("cdef"));
    QVERIFY(TextOps::keepLastOf(text, 10));
    QCOMPARE(text.text(), QStringLiteral("cdef"));
    QVERIFY(TextOps::keepLastOf(text, 0));
    QCOMPARE(text.text(), QString());
}

QTEST_GUILESS_MAIN(TestTextOps)
#include "tst_textops.moc"
