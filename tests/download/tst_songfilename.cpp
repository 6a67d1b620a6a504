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
    void templatePaths_data();
    void templatePaths();
    void templateProblems_data();
    void templateProblems();
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

void TestSongFileName::templatePaths_data()
{
    QTest::addColumn<QString>("nameTemplate");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");

    const QString song = u"水调歌头 - 苏轼 [128K]"_s;
    QTest::newRow("title as the page shows it")
        << u"{title}"_s << song << 3 << u"水调歌头 - 苏轼 [128K].mp3"_s;
    QTest::newRow("singer first") << u"{singer} - {name}"_s << song << 3 << u"苏轼 - 水调歌头.mp3"_s;
    QTest::newRow("folder per singer") << u"{singer}/{name}"_s << song << 3 << u"苏轼/水调歌头.mp3"_s;
    QTest::newRow("row zero-padded") << u"{n}. {title}"_s << u"春"_s << 3 << u"003. 春.mp3"_s;
    QTest::newRow("keyword folder") << u"{keyword}/{n} {name}"_s << u"春"_s << 12 << u"宋词/012 春.mp3"_s;
    QTest::newRow("no singer: no dangling dash") << u"{singer} - {name}"_s << u"春"_s << 1 << u"春.mp3"_s;
    QTest::newRow("no singer: no empty folder") << u"{singer}/{name}"_s << u"春"_s << 1 << u"春.mp3"_s;
    QTest::newRow("no row: no leading dot") << u"{n}. {title}"_s << u"春"_s << 0 << u"春.mp3"_s;
    QTest::newRow("nothing left takes the title") << u"{singer}"_s << u"春"_s << 1 << u"春.mp3"_s;
    QTest::newRow("hostile singer stays one folder")
        << u"{singer}/{name}"_s << u"a - ../../etc"_s << 1 << u"_.._etc/a.mp3"_s;
    QTest::newRow("parent folder as a field") << u"{singer}/{name}"_s << u"a - .."_s << 1 << u"a.mp3"_s;
    QTest::newRow("illegal characters per segment")
        << u"{singer}/{name}"_s << u"a:b? - c*d"_s << 1 << u"c_d/a_b_.mp3"_s;
    QTest::newRow("leading dot and trailing blanks")
        << u"{singer}/{name}"_s << u".a  - .b. "_s << 1 << u"b/a.mp3"_s;
    // 300 characters of 3 bytes: a folder keeps 85 (255 bytes), a file name 65 and ".mp3".
    QTest::newRow("300 Chinese characters")
        << u"{singer}/{name}"_s << u"春"_s.repeated(300) + u" - "_s + u"秋"_s.repeated(300) << 1
        << u"秋"_s.repeated(85) + u"/"_s + u"春"_s.repeated(65) + u".mp3"_s;
}

void TestSongFileName::templatePaths()
{
    QFETCH(QString, nameTemplate);
    QFETCH(QString, title);
    QFETCH(int, number);
    QFETCH(QString, expected);
    const SongNameFields fields{title, number, 3, u"宋词"_s};
    const QString path = songRelativePath(nameTemplate, fields, QUrl(u"http://a.example/m/123.mp3"_s));
    QCOMPARE(path, expected);
    for (const QString& segment : path.split(u'/'))
        QVERIFY(segment.toUtf8().size() <= 255 && !segment.startsWith(u'.'));
}

void TestSongFileName::templateProblems_data()
{
    QTest::addColumn<QString>("nameTemplate");
    QTest::addColumn<bool>("usable");

    QTest::newRow("default") << QString::fromUtf16(DefaultNameTemplate) << true;
    QTest::newRow("every field") << u"{keyword}/{singer}/{n}. {name} ({title})"_s << true;
    QTest::newRow("unknown field") << u"{artist} - {name}"_s << false;
    QTest::newRow("unclosed brace") << u"{name"_s << false;
    QTest::newRow("no field") << u"song"_s << false;
}

void TestSongFileName::templateProblems()
{
    QFETCH(QString, nameTemplate);
    QFETCH(bool, usable);
    QCOMPARE(nameTemplateProblem(nameTemplate).isEmpty(), usable);
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
