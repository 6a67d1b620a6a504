// SPDX-License-Identifier: MIT
#include "app/legacyhtml/songlinktext.h"
#include "download/playlist.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestSongLinkText : public QObject
{
    Q_OBJECT

private slots:
    void plainTitles_data();
    void plainTitles();
    void addresses_data();
    void addresses();
    void remotePlaylist();
};

void TestSongLinkText::plainTitles_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("named reference") << u"Rock &amp; Roll"_s << u"Rock & Roll"_s;
    QTest::newRow("numeric references") << u"&#27700;&#x8C03;"_s << u"水调"_s;
    QTest::newRow("katakana middle dot") << u"鹧鸪天&#12539;春"_s << u"鹧鸪天・春"_s;
    QTest::newRow("reference without semicolon") << u"a &lt b"_s << u"a < b"_s;
    QTest::newRow("tags removed") << u"<b>春</b> - <font color=red>苏轼</font>"_s << u"春 - 苏轼"_s;
    QTest::newRow("blanks collapsed") << u"  a \r\n  b&nbsp;"_s << u"a b"_s;
    QTest::newRow("line break tag") << u"a<br>b"_s << u"a b"_s;
    QTest::newRow("script text hidden") << u"a<script>alert(1)</script>b"_s << u"ab"_s;
    QTest::newRow("stray less-than") << u"a < b"_s << u"a < b"_s;
    QTest::newRow("deep nesting") << u"<b>"_s.repeated(20000) + u"x"_s << u"x"_s;
}

void TestSongLinkText::plainTitles()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(plainTitle(html), expected);
}

void TestSongLinkText::addresses_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QByteArray>("expected"); // encoded; empty when refused

    QTest::newRow("plain") << u"http://a.example/m/1.mp3"_s << "http://a.example/m/1.mp3"_ba;
    QTest::newRow("ampersand reference")
        << u"http://a.example/r&amp;b/a.mp3"_s << "http://a.example/r&b/a.mp3"_ba;
    QTest::newRow("attribute keeps &amp= as it is")
        << u"http://a.example/a.mp3?x&amp=1"_s << "http://a.example/a.mp3?x&amp=1"_ba;
    QTest::newRow("numeric reference") << u"http://a.example/&#97;.mp3"_s << "http://a.example/a.mp3"_ba;
    QTest::newRow("non-ASCII as UTF-8")
        << u"http://a.example/春 天.mp3"_s << "http://a.example/%E6%98%A5%20%E5%A4%A9.mp3"_ba;
    QTest::newRow("existing escapes kept")
        << u"http://a.example/%E6%98%A5.mp3"_s << "http://a.example/%E6%98%A5.mp3"_ba;
    QTest::newRow("blanks and line breaks")
        << u"  http://a.example/a\n.mp3\t "_s << "http://a.example/a.mp3"_ba;
    QTest::newRow("upper-case scheme") << u"HTTP://A.example/a.mp3"_s << "http://a.example/a.mp3"_ba;
    QTest::newRow("quote in the address")
        << u"http://a.example/a\"b.mp3"_s << "http://a.example/a%22b.mp3"_ba;
    QTest::newRow("javascript refused") << u"javascript:alert(1)"_s << QByteArray();
    QTest::newRow("file refused") << u"file:///etc/passwd"_s << QByteArray();
    QTest::newRow("relative without base refused") << u"a.mp3"_s << QByteArray();
    QTest::newRow("empty refused") << u"  "_s << QByteArray();
}

void TestSongLinkText::addresses()
{
    QFETCH(QString, href);
    QFETCH(QByteArray, expected);
    QCOMPARE(songAddress(href).toEncoded(), expected);
}

void TestSongLinkText::remotePlaylist()
{
    const QList<SongLink> links{{u"Rock &amp; Roll"_s, u"http://a.example/r&amp;b/1.mp3"_s},
                                {u"无效"_s, u"javascript:void(0)"_s},
                                {u"春\n天"_s, u"http://a.example/春.mp3"_s}};
    QCOMPARE(playlistBytes(remotePlaylistEntries(downloadRequests(links))),
             "#EXTM3U\n#EXTINF:-1,Rock & Roll\nhttp://a.example/r&b/1.mp3\n"
             "#EXTINF:-1,春 天\nhttp://a.example/%E6%98%A5.mp3\n"_ba);
    QCOMPARE(playlistFileName(u"a/b"_s), u"a_b.m3u8"_s);
    QCOMPARE(playlistFileName(u".."_s), u"播放列表.m3u8"_s);
}

QTEST_GUILESS_MAIN(TestSongLinkText)
#include "tst_songlinktext.moc"
