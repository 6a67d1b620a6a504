// SPDX-License-Identifier: MIT
// The found songs on standard output and in a playlist.
#include "songoutput.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin::Cli;

class TestCliSongOutput : public QObject
{
    Q_OBJECT

private slots:
    void jsonKeepsEveryCharacter_data();
    void jsonKeepsEveryCharacter();
    void linesAndPlaylist();
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
}

void TestCliSongOutput::linesAndPlaylist()
{
    const QList<SongEntry> songs{{QStringLiteral("甲 - 乙"), QStringLiteral("http://m.example/1.mp3")},
                                 {QStringLiteral("丙"), QStringLiteral("http://m.example/2.MP3")}};
    QCOMPARE(songLines(songs),
             QStringLiteral("1. 甲 - 乙  http://m.example/1.mp3\n2. 丙  http://m.example/2.MP3\n").toUtf8());
    QCOMPARE(songsJson({}), QByteArray("[]\n"));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.m3u"));
    QCOMPARE(writePlaylist(path, songs), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.value(0), QByteArray("#EXTM3U"));
    QVERIFY(lines.contains(QByteArray("http://m.example/1.mp3")));
    QVERIFY(lines.contains(QByteArray("http://m.example/2.MP3")));
    QVERIFY(!writePlaylist(folder.filePath(QStringLiteral("missing/list.m3u")), songs).isEmpty());
}

QTEST_GUILESS_MAIN(TestCliSongOutput)
#include "tst_clisongoutput.moc"
