// SPDX-License-Identifier: MIT
#include "scrape/markerfinder.h"

#include <QTest>

using namespace Qorvin;

// The finder remembers where it found its marker; every way the working text can change must
// give the same answer as a fresh search of the unread tail.
class TestMarkerFinder : public QObject
{
    Q_OBJECT

private slots:
    void followsCuts();
    void forgetsAnswerWhenTextIsSet();
    void forgetsAnswerWhenTextIsRewritten();
    void remembersMissingMarker();
    void copiedTextKeepsItsAnswer();
};

void TestMarkerFinder::followsCuts()
{
    WorkingText text(QStringLiteral("x</A>yy</A>z"));
    MarkerFinder finder(u"</A>");
    QCOMPARE(finder.find(text), 2);
    text.keepLast(text.length() - 1);
    QCOMPARE(finder.find(text), 1);
    text.keepLast(text.length() - 1); // past the start of the first marker
    QCOMPARE(finder.find(text), 6);
    text.keepLast(3);
    QCOMPARE(finder.find(text), 0);
}

void TestMarkerFinder::forgetsAnswerWhenTextIsSet()
{
    WorkingText text(QStringLiteral("aaaa_blank>"));
    MarkerFinder finder(u"_blank>");
    QCOMPARE(finder.find(text), 5);
    text.set(QStringLiteral("_blank>"));
    QCOMPARE(finder.find(text), 1);
    // Same length, same place, other contents.
    text.set(QStringLiteral("_blank)"));
    QCOMPARE(finder.find(text), 0);
}

void TestMarkerFinder::forgetsAnswerWhenTextIsRewritten()
{
    WorkingText text(QStringLiteral("abMP3"));
    MarkerFinder finder(u"mp3");
    QCOMPARE(finder.find(text), 0);
    text.replaceAll(u"MP3", u"mp3");
    QCOMPARE(finder.find(text), 3);
}

void TestMarkerFinder::remembersMissingMarker()
{
    WorkingText text(QStringLiteral("no marker here"));
    MarkerFinder finder(u".mp3");
    QCOMPARE(finder.find(text), 0);
    text.keepLast(5);
    QCOMPARE(finder.find(text), 0);
}

void TestMarkerFinder::copiedTextKeepsItsAnswer()
{
    WorkingText text(QStringLiteral("ab-cd"));
    MarkerFinder finder(u"-");
    QCOMPARE(finder.find(text), 3);
    WorkingText copy = text;
    copy.keepLast(2);
    QCOMPARE(finder.find(copy), 0);
    QCOMPARE(finder.find(text), 3);
}

QTEST_GUILESS_MAIN(TestMarkerFinder)
#include "tst_markerfinder.moc"
