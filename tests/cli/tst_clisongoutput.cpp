// SPDX-License-Identifier: MIT
// The found songs on standard output: as the result page shows them, as lines and as JSON.
#include "cli/songoutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qorvin::Cli;

class TestCliSongOutput : public QObject
{
    Q_OBJECT

private slots:
    void jsonKeepsEveryCharacter_data();
    void jsonKeepsEveryCharacter();
    void entriesAsThePageShowsThem_data();
    void entriesAsThePageShowsThem();
};

void TestCliSongOutput::jsonKeepsEveryCharacter_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::newRow("chinese") << "水龙吟・古来云海茫茫 - 苏轼"
                             << "http://m.example/1.mp3";
    QTest::newRow("quotes and backslash") << "say \"hi\" \\ there"
                                          << "http://m.example/a\\b.mp3";
    QTest::newRow("control characters")
        << QStringLiteral("a\tb\nc") + QChar(1) << "http://m.example/?a=1&b=2";
    QTest::newRow("outside the BMP") << QString::fromUcs4(U"\U00020BB7 song") << "http://m.example/%E4.mp3";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCliSongOutput::jsonKeepsEveryCharacter()
{
    QFETCH(QString, title);
    QFETCH(QString, link);
    const QList<SongEntry> songs{{QStringLiteral("first"), QStringLiteral("http://m.example/0.mp3")},
                                 {title, link}};
    const QByteArray json = songsJson(songs);

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray array = document.array();
    QCOMPARE(array.size(), 2);
    QCOMPARE(array.at(1).toObject().value(QStringLiteral("title")).toString(), title);
    QCOMPARE(array.at(1).toObject().value(QStringLiteral("link")).toString(), link);
    QCOMPARE(array.at(1).toObject().size(), 2);
    // The title comes first in every object, as documented.
    QVERIFY(json.indexOf("\"title\"") < json.indexOf("\"link\""));
    QVERIFY(json.endsWith("]\n"));
    QCOMPARE(songsJson({}), QByteArray("[]\n"));
}

void TestCliSongOutput::entriesAsThePageShowsThem_data()
{
    QTest::addColumn<QString>("titleHtml");
    QTest::addColumn<QString>("hrefHtml");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::newRow("as scraped") << "水龙吟·楚山修竹如云 - 苏轼"
                                << "http://m.example/mirror1/1443.mp3"
                                << "水龙吟·楚山修竹如云 - 苏轼"
                                << "http://m.example/mirror1/1443.mp3";
    QTest::newRow("tags and references") << "<B>苏轼</B> &amp; 柳永 &#12539;"
                                         << "http://m.example/a.mp3?x=1&amp;y=2"
                                         << "苏轼 & 柳永 ・"
                                         << "http://m.example/a.mp3?x=1&y=2";
    QTest::newRow("Chinese in the address") << "歌"
                                            << "http://m.example/歌.mp3"
                                            << "歌"
                                            << "http://m.example/%E6%AD%8C.mp3";
    QTest::newRow("no address") << "歌"
                                << "请参照原网页"
                                << "歌"
                                << "";
}

void TestCliSongOutput::entriesAsThePageShowsThem()
{
    QFETCH(QString, titleHtml);
    QFETCH(QString, hrefHtml);
    QFETCH(QString, title);
    QFETCH(QString, link);
    const QList<SongEntry> entries = songEntries(foundSongs({titleHtml}, {hrefHtml}));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.constFirst().title, title);
    QCOMPARE(entries.constFirst().link, link);
}

QTEST_GUILESS_MAIN(TestCliSongOutput)
#include "tst_clisongoutput.moc"
