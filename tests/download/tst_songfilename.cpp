// SPDX-License-Identifier: MIT
#include "download/songfilename.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

class TestSongFileName : public QObject
{
    Q_OBJECT

private slots:
    void fileNames_data();
    void fileNames();
    void hostileTitlesStayInTheFolder_data();
    void hostileTitlesStayInTheFolder();
    void numberedCopies_data();
    void numberedCopies();
};

void TestSongFileName::fileNames_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");

    const QString link = u"http://a.example/m/123.mp3"_s;
    QTest::newRow("plain") << u"水调歌头 - 苏轼"_s << link << 1 << u"水调歌头 - 苏轼.mp3"_s;
    QTest::newRow("every illegal character")
        << u"a/b\\c:d*e?f\"g<h>i|j"_s << link << 1 << u"a_b_c_d_e_f_g_h_i_j.mp3"_s;
    QTest::newRow("control characters")
        << u"a\tb\nc\u0001d\u007fe\u0085f"_s << link << 1 << u"a_b_c_d_e_f.mp3"_s;
    QTest::newRow("blanks and dots trimmed") << u" .. 春 . "_s << link << 1 << u"春.mp3"_s;
    QTest::newRow("ideographic blank trimmed") << u"\u3000春\u3000"_s << link << 1 << u"春.mp3"_s;
    QTest::newRow("reserved name") << u"CON"_s << link << 1 << u"CON_.mp3"_s;
    QTest::newRow("reserved name in lower case") << u"nul"_s << link << 1 << u"nul_.mp3"_s;
    QTest::newRow("reserved name before a dot") << u"com1.x"_s << link << 1 << u"com1_.x.mp3"_s;
    QTest::newRow("reserved name inside a longer one") << u"CONSOLE"_s << link << 1 << u"CONSOLE.mp3"_s;
    QTest::newRow("empty title takes the link's file") << QString() << link << 1 << u"123.mp3"_s;
    QTest::newRow("dots only take the link's file")
        << u" ... "_s << u"http://a.example/x/%E6%98%A5.MP3"_s << 4 << u"春.mp3"_s;
    QTest::newRow("link without a file") << QString() << u"http://a.example/"_s << 7 << u"歌曲7.mp3"_s;
    QTest::newRow("link file that is only dots")
        << QString() << u"http://a.example/a/..mp3"_s << 2 << u"歌曲2.mp3"_s;
    QTest::newRow("lone surrogate") << u"a"_s + QChar(0xD800) + u"b"_s << link << 1 << u"a_b.mp3"_s;
    QTest::newRow("pair kept") << u"a\U0001F3B5b"_s << link << 1 << u"a\U0001F3B5b.mp3"_s;
}

void TestSongFileName::fileNames()
{
    QFETCH(QString, title);
    QFETCH(QString, link);
    QFETCH(int, number);
    QFETCH(QString, expected);
    QCOMPARE(songFileName(title, QUrl(link), number), expected);
}

void TestSongFileName::hostileTitlesStayInTheFolder_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("nameBytes");

    QTest::newRow("parent folders") << u"../../x"_s << 9;     // "_.._x.mp3"
    QTest::newRow("absolute path") << u"/etc/passwd"_s << 15; // "_etc_passwd.mp3"
    QTest::newRow("windows path") << u"C:\\Windows\\win.ini"_s << 22;
    QTest::newRow("only dots") << u".."_s << 11; // "歌曲1.mp3"
    QTest::newRow("1 MB of ASCII") << u"a"_s.repeated(1 << 20) << 200;
    // 3-byte characters: 65 fit in the 196 bytes before ".mp3", the 66th would not.
    QTest::newRow("1 MB of Chinese") << u"春"_s.repeated(1 << 20) << 199;
    QTest::newRow("4-byte characters") << u"\U0001F3B5"_s.repeated(1000) << 200;
    QTest::newRow("dot exposed by the cut") << u"a"_s.repeated(195) + u".b"_s << 199;
}

void TestSongFileName::hostileTitlesStayInTheFolder()
{
    QFETCH(QString, title);
    QFETCH(int, nameBytes);
    const QString name = songFileName(title, QUrl(u"http://a.example/"_s), 1);
    QVERIFY(!name.contains(u'/') && !name.contains(u'\\'));
    QVERIFY(name.toUtf8().size() <= 200);
    QCOMPARE(QString::fromUtf8(name.toUtf8()), name); // no character was split
    QCOMPARE(name.toUtf8().size(), nameBytes);
    QVERIFY(!name.startsWith(u'.'));

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(name);
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
}

void TestSongFileName::numberedCopies_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("copy");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first copy is the name") << u"a.mp3"_s << 1 << u"a.mp3"_s;
    QTest::newRow("second") << u"a.mp3"_s << 2 << u"a (2).mp3"_s;
    QTest::newRow("dots in the stem") << u"a.b.mp3"_s << 12 << u"a.b (12).mp3"_s;
    QTest::newRow("long name stays within 200 bytes")
        << u"春"_s.repeated(65) + u".mp3"_s << 2 << u"春"_s.repeated(64) + u" (2).mp3"_s;
}

void TestSongFileName::numberedCopies()
{
    QFETCH(QString, name);
    QFETCH(int, copy);
    QFETCH(QString, expected);
    const QString numbered = numberedFileName(name, copy);
    QCOMPARE(numbered, expected);
    QVERIFY(numbered.toUtf8().size() <= 200);
}

QTEST_GUILESS_MAIN(TestSongFileName)
#include "tst_songfilename.moc"
