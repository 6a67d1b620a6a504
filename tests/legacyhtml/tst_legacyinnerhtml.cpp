// SPDX-License-Identifier: MIT
#include "app/legacyhtml/legacyinnerhtml.h"

#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;

namespace {

// A document as the engine gives it, with the body's content in between.
QString document(const QString& body)
{
    return u"<html><head></head><body>"_s + body + u"</body></html>"_s;
}

QString inner(const QString& body)
{
    return u"<HEAD></HEAD><BODY>"_s + body + u"</BODY>"_s;
}

} // namespace

class TestLegacyInnerHtml : public QObject
{
    Q_OBJECT

private slots:
    void serializes_data();
    void serializes();
    void wholeDocuments_data();
    void wholeDocuments();
    void deepNestingDoesNotCrash();
};

void TestLegacyInnerHtml::serializes_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("colour value unquoted")
        << u"<font color=\"#ff0000\">x</font>"_s << u"<FONT color=#ff0000>x</FONT>"_s;
    QTest::newRow("unquoted value characters")
        << u"<p id='a-b_c.d:e#9'>x</p>"_s << u"<P id=a-b_c.d:e#9>x</P>"_s;
    QTest::newRow("empty value quoted") << u"<input disabled>"_s << u"<INPUT disabled=\"\">"_s;
    QTest::newRow("space in value quoted") << u"<p class='a b'>x</p>"_s << u"<P class=\"a b\">x</P>"_s;
    QTest::newRow("non-ascii value quoted") << u"<p title='歌'>x</p>"_s << u"<P title=\"歌\">x</P>"_s;
    QTest::newRow("quote and ampersand in value")
        << u"<a title='say \"hi\" &amp; go' href='/m?a=1&amp;b=2'>x</a>"_s
        << u"<A title=\"say &quot;hi&quot; &amp; go\" href=\"/m?a=1&amp;b=2\">x</A>"_s;
    QTest::newRow("attribute names as written")
        << u"<a TARGET=\"_blank\" hRef=x>t</a>"_s << u"<A TARGET=_blank hRef=x>t</A>"_s;
    QTest::newRow("text escapes") << u"a &amp; b &lt;c&gt; d&nbsp;e \"q\" 'a'"_s
                                  << u"a &amp; b &lt;c&gt; d&nbsp;e \"q\" 'a'"_s;
    QTest::newRow("raw no-break space") << u"a\u00A0b"_s << u"a&nbsp;b"_s;
    QTest::newRow("comment kept") << u"x<!-- note <b> -->y"_s << u"x<!-- note <b> -->y"_s;
    QTest::newRow("void elements without end tags") << u"a<br>b<img src=\"x.png\"><hr/><input type=text>"_s
                                                    << u"a<BR>b<IMG src=x.png><HR><INPUT type=text>"_s;
    QTest::newRow("whitespace kept exactly") << u"\n  <p>x  y</p>\n\t \n"_s << u"\n  <P>x  y</P>\n\t \n"_s;
    QTest::newRow("script and style raw") << u"<script>if (a < b && c > d) {}</script><style>a>b{}</style>"_s
                                          << u"<SCRIPT>if (a < b && c > d) {}</SCRIPT><STYLE>a>b{}</STYLE>"_s;
    QTest::newRow("nested tables get their tbody")
        << u"<table><tr><td><table><tr><td>x</td></tr></table></td></tr></table>"_s
        << u"<TABLE><TBODY><TR><TD><TABLE><TBODY><TR><TD>x</TD></TR></TBODY></TABLE></TD></TR></TBODY></TABLE>"_s;
    // A result record as the engine writes it: lower-case tags, every value quoted.
    QTest::newRow("search record keeps its markers")
        << u"<table><tr><td>来源网址：  http://h/歌.MP3 </td><td><a href=\"http://h/歌.mp3\" "
           u"target=\"_blank\">月亮 - 歌手</a></td></tr></table>"_s
        << u"<TABLE><TBODY><TR><TD>来源网址：  http://h/歌.MP3 </TD><TD><A href=\"http://h/歌.mp3\" "
           u"target=_blank>月亮 - 歌手</A></TD></TR></TBODY></TABLE>"_s;
    QTest::newRow("unclosed elements closed")
        << u"<div><a href=x>one<p>two</div>"_s << u"<DIV><A href=x>one<P>two</P></A></DIV>"_s;
    QTest::newRow("stray end tag dropped") << u"a</span>b"_s << u"ab"_s;
    QTest::newRow("unknown element") << u"<foo-bar x=1>t</foo-bar>"_s << u"<FOO-BAR x=1>t</FOO-BAR>"_s;
    QTest::newRow("textarea text escaped")
        << u"<textarea>a<b</textarea>"_s << u"<TEXTAREA>a&lt;b</TEXTAREA>"_s;
}

void TestLegacyInnerHtml::serializes()
{
    QFETCH(QString, body);
    QFETCH(QString, expected);
    QCOMPARE(legacyInnerHtml(document(body)), inner(expected));
}

void TestLegacyInnerHtml::wholeDocuments_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << u"<HEAD></HEAD><BODY></BODY>"_s;
    QTest::newRow("bare text gets head and body") << u"hello"_s << u"<HEAD></HEAD><BODY>hello</BODY>"_s;
    QTest::newRow("doctype and outer comment left out")
        << u"<!DOCTYPE html><!-- c --><html lang=zh><head><title>t&amp;</title></head><body>b</body></html>"_s
        << u"<HEAD><TITLE>t&amp;</TITLE></HEAD><BODY>b</BODY>"_s;
    QTest::newRow("whitespace between head and body")
        << u"<html><head>\n<meta charset=\"gb2312\">\n</head>\n<body>\nx</body></html>"_s
        << u"<HEAD>\n<META charset=gb2312>\n</HEAD>\n<BODY>\nx</BODY>"_s;
    QTest::newRow("body attributes")
        << u"<html><head></head><body bgcolor=\"#FFFFFF\" onload=\"f()\"></body></html>"_s
        << u"<HEAD></HEAD><BODY bgcolor=#FFFFFF onload=\"f()\"></BODY>"_s;
}

void TestLegacyInnerHtml::wholeDocuments()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(legacyInnerHtml(html), expected);
}

void TestLegacyInnerHtml::deepNestingDoesNotCrash()
{
    const int depth = 200000;
    const QString html = u"<span>"_s.repeated(depth) + u"x"_s;
    const QString result = legacyInnerHtml(html);
    QVERIFY(result.startsWith(u"<HEAD></HEAD><BODY><SPAN><SPAN>"_s));
    QCOMPARE(result.count(u"</SPAN>"_s), depth);
}

QTEST_GUILESS_MAIN(TestLegacyInnerHtml)
#include "tst_legacyinnerhtml.moc"
