// SPDX-License-Identifier: MIT
#include "resultpage/resultpagewriter.h"
#include "tests/filecontents.h"
#include "tests/resultpage/pagelines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qorvin;
using Qorvin::Test::pageLines;
using namespace Qt::StringLiterals;

namespace {

QStringList numbered(const QString& pattern, int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << pattern.arg(i);
    return list;
}

QString spaces(int count)
{
    return QString(count, u' ');
}

int leadingSpaces(const QString& line)
{
    int n = 0;
    while (n < line.size() && line.at(n) == u' ')
        ++n;
    return n;
}

int trailingSpaces(const QString& line)
{
    int n = 0;
    while (n < line.size() && line.at(line.size() - 1 - n) == u' ')
        ++n;
    return n;
}

// Leading and trailing spaces of template lines 1-134, as the page format fixes them.
constexpr int LineSpaces[134][2] = {
    // clang-format off
    {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1},
    {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
    {1, 0}, {0, 1}, {0, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0},
    {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0},
    {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0},
    {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0},
    {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0},
    {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0},
    {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0},
    {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0},
    {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0},
    {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0}, {1, 0}, {0, 0}, {0, 0},
    {1, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
    {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {20, 0}, {0, 0}, {18, 0},
    {20, 0}, {18, 1}, {0, 0}, {20, 0}, {22, 0}, {24, 0}, {22, 0}, {22, 0},
    {24, 1}, {6, 0}, {22, 0}, {20, 0}, {18, 0}, {18, 0}, {20, 1}, {0, 0},
    {22, 0}, {24, 0}, {26, 0}, {26, 0}, {25, 0}, {24, 0}
    // clang-format on
};

} // namespace

class TestResultPageWriter : public QObject
{
    Q_OBJECT

private slots:
    void lineCount_data();
    void lineCount();
    void songRowsInPlace();
    void fixedLinesByteForByte_data();
    void fixedLinesByteForByte();
    void templateSpacesAsFixed();
    void keywordLine_data();
    void keywordLine();
    void songValues_data();
    void songValues();
    void gbkWithoutByteOrderMark();
    void tooFewLinksFailsCleanly();
    void replacesExistingFile_data();
    void replacesExistingFile();
    void failedWriteKeepsOldFile();
    void unwritablePathFails_data();
    void unwritablePathFails();
};

void TestResultPageWriter::lineCount_data()
{
    QTest::addColumn<int>("songs");
    QTest::newRow("no songs") << 0;
    QTest::newRow("one song") << 1;
    QTest::newRow("thirty") << 30;
    QTest::newRow("the most a list holds") << 32767;
}

void TestResultPageWriter::lineCount()
{
    QFETCH(int, songs);
    const QByteArray page =
        resultPageBytes(QStringLiteral("abc"), numbered(QStringLiteral("title %1"), songs),
                        numbered(QStringLiteral("http://h/%1.mp3"), songs));
    const QStringList lines = pageLines(page);
    QCOMPARE(lines.size(), 140 + 7 * songs);
    QCOMPARE(lines.at(134 + 7 * songs), spaces(22) + QStringLiteral("</TBODY>"));
    QCOMPARE(lines.last(), QStringLiteral("</html>"));
    if (songs == 0)
        QCOMPARE(lines.at(133), spaces(24) + QStringLiteral("</TR>"));
}

void TestResultPageWriter::songRowsInPlace()
{
    const int songs = 12; // row numbers of two digits too
    const QStringList titles = numbered(u"甲 - %1"_s, songs);
    const QStringList links = numbered(QStringLiteral("http://h/%1.mp3"), songs);
    const QStringList lines = pageLines(resultPageBytes(QStringLiteral("k"), titles, links));
    QCOMPARE(lines.size(), 140 + 7 * songs);
    for (int k = 1; k <= songs; ++k) {
        // Song k fills file lines 128 + 7k to 134 + 7k (1-based).
        const QStringList row = lines.mid(128 + 7 * k - 1, 7);
        const QString& link = links.at(k - 1);
        QCOMPARE(row.at(0), spaces(24) + QStringLiteral("<TR>"));
        QCOMPARE(row.at(1), spaces(26) + QStringLiteral("<TD class=t vAlign=top width=18>%1</TD>").arg(k));
        QCOMPARE(row.at(2),
                 spaces(26) + QStringLiteral("<TD class=d1 height=28><a href='") + link + u"'> "_s);
        QCOMPARE(row.at(3), titles.at(k - 1) + QStringLiteral("</a></TD>"));
        QCOMPARE(row.at(4), spaces(25) + QStringLiteral("<TD class=t> ") + link);
        QCOMPARE(row.at(5), QStringLiteral("</TD>"));
        QCOMPARE(row.at(6), spaces(24) + QStringLiteral("</TR>"));
    }
}

void TestResultPageWriter::fixedLinesByteForByte_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << QStringLiteral("<html>");
    QTest::newRow("8 comment start") << 8 << QStringLiteral("<!-- ");
    QTest::newRow("17") << 17
                        << QStringLiteral(
                               " BORDER-RIGHT: black 1pt solid; PADDING-RIGHT: 12px; BORDER-TOP: black 1pt "
                               "solid; PADDING-LEFT: 12px;");
    QTest::newRow("18") << 18
                        << QStringLiteral(
                               "FONT-SIZE: 12px; MARGIN-BOTTOM: 1pt; BORDER-LEFT: black 1pt solid; COLOR: "
                               "#000000; PADDING-TOP: 4px; ");
    QTest::newRow("99 four spaces") << 99
                                    << QStringLiteral(
                                           ".d1 {    TABLE-LAYOUT: fixed; PADDING-LEFT: 10px; FONT-SIZE: "
                                           "14px; WORD-BREAK: break-all; BORDER-BOTTOM: #e1e1e1 1px "
                                           "solid; HEIGHT: 28px");
    QTest::newRow("101") << 101 << QStringLiteral(".style2 {    FONT-WEIGHT: bold; FONT-SIZE: 14px");
    QTest::newRow("103") << 103 << QStringLiteral(".style2 {    COLOR: #ff0000");
    QTest::newRow("106 title") << 106 << u"<title>搜索结果</title>"_s;
    QTest::newRow("110") << 110 << QStringLiteral("                    <center>");
    QTest::newRow("114") << 114
                         << QStringLiteral("                  <TABLE borderColor=#ffffff cellSpacing=0 "
                                           "cellPadding=2 width='85%' ");
    QTest::newRow("115") << 115 << QStringLiteral("bgColor=#ffffff border=0>");
    QTest::newRow("118 notice")
        << 118
        << u"                        <TD noWrap><SPAN class=style2>如果你已安装FlashGet、迅雷"
           u"等下载工具点击鼠标右键选择'下载全部链接'即可下载所有歌曲！</SPAN> </TD>"_s;
    QTest::newRow("121") << 121
                         << QStringLiteral(
                                "                        <TD noWrap><FONT style='FONT-SIZE: 12px' ");
    QTest::newRow("122 maker")
        << 122
        << u"      color=#666666><a href='http://www.tavrel.example'><strong>Power By "
           u"Tavrel软件</strong></a> 以下内容系网络搜索的结果,排列及分类仅为方便使用,本搜索与"
           u"内容的出处无关!                            </FONT></TD>"_s;
    QTest::newRow("127") << 127
                         << QStringLiteral("                    <TABLE borderColor=#ffffff cellSpacing=0 "
                                           "cellPadding=2 width='85%' ");
    QTest::newRow("131") << 131
                         << QStringLiteral(
                                "                          <TD vAlign=top noWrap width=18>&nbsp;</TD>");
    QTest::newRow("133") << 133
                         << u"                         <TD width=380 noWrap style='PADDING-LEFT: "
                            u"10px'><strong>链接</strong></TD>"_s;
}

void TestResultPageWriter::fixedLinesByteForByte()
{
    QFETCH(int, line);
    QFETCH(QString, text);
    const QStringList lines = pageLines(resultPageBytes(QStringLiteral("k"), {}, {}));
    QCOMPARE(lines.at(line - 1), text);
}

void TestResultPageWriter::templateSpacesAsFixed()
{
    const QStringList lines = pageLines(resultPageBytes(QStringLiteral("k"), {}, {}));
    QCOMPARE(lines.size(), 140);
    for (int i = 0; i < 134; ++i) {
        const QByteArray where = "line " + QByteArray::number(i + 1);
        QVERIFY2(!lines.at(i).trimmed().isEmpty(), where.constData());
        QVERIFY2(leadingSpaces(lines.at(i)) == LineSpaces[i][0], where.constData());
        QVERIFY2(trailingSpaces(lines.at(i)) == LineSpaces[i][1], where.constData());
    }
}

void TestResultPageWriter::keywordLine_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("empty keyword: two spaces") << QString();
    QTest::newRow("outer spaces kept") << QStringLiteral("  two  words ");
    QTest::newRow("markup unchanged") << QStringLiteral("<b>'&amp;\"");
    QTest::newRow("chinese") << u"月亮代表我的心"_s;
}

void TestResultPageWriter::keywordLine()
{
    QFETCH(QString, keyword);
    const QStringList lines = pageLines(resultPageBytes(keyword, {}, {}));
    const QString expected = spaces(26) + u"<TD width='332' noWrap style='PADDING-LEFT: 10px'><B>歌曲名( "_s +
                             keyword + QStringLiteral(" )</B></TD>");
    QCOMPARE(lines.at(131), expected);
}

void TestResultPageWriter::songValues_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("titleLine");

    // Titles and links go in as they are, markup and outer spaces included.
    QTest::newRow("markup unchanged")
        << QStringLiteral(" <i>a & b</i> > 'c' ") << QStringLiteral("http://h/a&b<c>.mp3 ")
        << QStringLiteral("http://h/a&b<c>.mp3 ") << QStringLiteral(" <i>a & b</i> > 'c' </a></TD>");
    // The href is quoted with apostrophes, so only there are they escaped.
    QTest::newRow("apostrophe in href only")
        << QStringLiteral("it's") << QStringLiteral("http://h/it's' onclick='x'.mp3")
        << QStringLiteral("http://h/it&#39;s&#39; onclick=&#39;x&#39;.mp3")
        << QStringLiteral("it's</a></TD>");
    // U+1F600 (a surrogate pair), U+20BB7 and U+3400 (Han characters outside GBK), U+00A0.
    QTest::newRow("outside GBK as references")
        << u"笑\U0001F600\U00020BB7\u3400\u00A0!"_s << QStringLiteral("l") << QStringLiteral("l")
        << u"笑&#128512;&#134071;&#13312;&#160;!</a></TD>"_s;
}

void TestResultPageWriter::songValues()
{
    QFETCH(QString, title);
    QFETCH(QString, link);
    QFETCH(QString, href);
    QFETCH(QString, titleLine);
    const QStringList lines = pageLines(resultPageBytes(QStringLiteral("it's"), {title}, {link}));
    QCOMPARE(lines.at(136),
             spaces(26) + QStringLiteral("<TD class=d1 height=28><a href='") + href + u"'> "_s);
    QCOMPARE(lines.at(137), titleLine);
    QCOMPARE(lines.at(138), spaces(25) + QStringLiteral("<TD class=t> ") + link);
    QVERIFY(lines.at(131).contains(QStringLiteral("( it's )")));
}

void TestResultPageWriter::gbkWithoutByteOrderMark()
{
    const QByteArray page = resultPageBytes(u"中文"_s, {u"歌"_s}, {QStringLiteral("http://h/1.mp3")});
    QVERIFY(page.startsWith("<html>\r\n<head>\r\n"));
    QVERIFY(page.endsWith("</body>\r\n</html>\r\n"));
    // GBK bytes of 中文, 歌 and of the fixed title 搜索结果.
    QVERIFY(page.contains("( \xD6\xD0\xCE\xC4 )"));
    QVERIFY(page.contains("\r\n\xB8\xE8</a></TD>\r\n"));
    QVERIFY(page.contains("<title>\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB</title>"));
}

void TestResultPageWriter::tooFewLinksFailsCleanly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("result.htm"));
    QVERIFY(writeFile(path, "old page"));
    const QStringList titles = numbered(QStringLiteral("t%1"), 3);
    const Outcome result = ResultPageWriter(path, QStringLiteral("k"), titles, {QStringLiteral("l1")});
    QVERIFY(!result.ok);
    QVERIFY(!result.errorString.isEmpty());
    QCOMPARE(readFile(path), QByteArray("old page"));
    QVERIFY(resultPageBytes(QStringLiteral("k"), titles, {QStringLiteral("l1")}).isEmpty());
}

void TestResultPageWriter::replacesExistingFile_data()
{
    QTest::addColumn<QByteArray>("oldContent");
    QTest::newRow("no file yet") << QByteArray();
    QTest::newRow("longer") << QByteArray(1 << 20, 'x');
    QTest::newRow("shorter") << QByteArray("x");
}

void TestResultPageWriter::replacesExistingFile()
{
    QFETCH(QByteArray, oldContent);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("result.htm"));
    if (!oldContent.isEmpty())
        QVERIFY(writeFile(path, oldContent));
    const QStringList titles = numbered(u"歌 %1"_s, 40);
    const QStringList links = numbered(QStringLiteral("http://h/%1.mp3"), 40);
    const Outcome result = ResultPageWriter(path, QStringLiteral("k"), titles, links);
    QVERIFY2(result.ok, qPrintable(result.errorString));
    QCOMPARE(readFile(path), resultPageBytes(QStringLiteral("k"), titles, links));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("result.htm")});
}

void TestResultPageWriter::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A file size limit stops the write half-way, for root as for anyone.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("result.htm"));
    QVERIFY(writeFile(path, "old page"));
    const QStringList titles = numbered(QStringLiteral("title %1"), 200);
    const QStringList links = numbered(QStringLiteral("http://h/%1.mp3"), 200);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Outcome result = ResultPageWriter(path, QStringLiteral("k"), titles, links);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!result.ok);
    QCOMPARE(result.errorString, u"文件超过系统允许的大小："_s + path);
    QCOMPARE(readFile(path), QByteArray("old page"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("result.htm")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestResultPageWriter::unwritablePathFails_data()
{
    QTest::addColumn<bool>("pathIsFolder");
    QTest::addColumn<QString>("fixedPath");
    QTest::addColumn<QString>("reason");
    QTest::newRow("path is a folder") << true << QString() << u"已有同名的文件夹："_s;
    QTest::newRow("folder missing") << false << QString() << u"文件夹不存在："_s;
#ifdef Q_OS_LINUX
    // The kernel's own folder takes no new files, from root neither.
    QTest::newRow("no write permission") << false << u"/sys/result.htm"_s << u"没有写入权限："_s;
#endif
}

void TestResultPageWriter::unwritablePathFails()
{
    QFETCH(bool, pathIsFolder);
    QFETCH(QString, fixedPath);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = !fixedPath.isEmpty()
                             ? fixedPath
                             : dir.filePath(pathIsFolder ? QStringLiteral("result.htm")
                                                         : QStringLiteral("no/such/result.htm"));
    if (pathIsFolder) {
        QVERIFY(QDir().mkdir(path));
        QVERIFY(writeFile(path + QStringLiteral("/inside"), "kept"));
    }
    const Outcome result = ResultPageWriter(path, QStringLiteral("k"), {}, {});
    QVERIFY(!result.ok);
    QCOMPARE(result.errorString, reason + path);
    if (pathIsFolder)
        QCOMPARE(readFile(path + QStringLiteral("/inside")), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestResultPageWriter)
#include "tst_resultpagewriter.moc"
