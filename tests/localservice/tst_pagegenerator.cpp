// SPDX-License-Identifier: MIT
#include "crawlstate/queryurl.h"
#include "localservice/catalogue.h"
#include "localservice/pagegenerator.h"
#include "localservice/recordtraits.h"
#include "tests/localservice/pagemarkers.h"

#include <QSet>
#include <QTest>

using namespace Qorvin;
using namespace Qt::StringLiterals;
using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

namespace {

const QString Su = QStringLiteral("苏轼");

qsizetype recordCount(const QString& word)
{
    qsizetype total = 0;
    for (SongId id : Catalogue::builtIn().find(word))
        total += mirrorCountOf(id);
    return total;
}

} // namespace

class TestPageGenerator : public QObject
{
    Q_OBJECT

private slots:
    void searchRecordsCarryTheMarkers();
    void pagesFollowOnWithoutGapsOrOverlap();
    void pagesWithoutRecords_data();
    void pagesWithoutRecords();
    void samePageEveryTime();
    void wordIsEscaped();
    void recordRatesAreAsDocumented();
    void topicListsAreNumberedUnderTheirHeading();
    void topicNamesAreFoundBySearch();
    void otherPathsAreNoTopic_data();
    void otherPathsAreNoTopic();
};

void TestPageGenerator::searchRecordsCarryTheMarkers()
{
    const PageGenerator generator;
    const QString page = generator.searchPage(Su, 0);
    QCOMPARE(occurrences(page, RecordMarker), 30);
    QCOMPARE(occurrences(page, u"_blank>"), 30);
    QVERIFY(occurrences(page, u"</A>") >= 30);
    QCOMPARE(occurrences(page, u"</a>"), 0);

    const QString host = u"http://"_s + musicHost() + u'/';
    for (const MarkedRecord& record : markedRecords(page)) {
        if (record.link.contains(u"请参照"))
            continue;
        QVERIFY2(record.link.startsWith(host), qPrintable(record.link));
        QVERIFY2(record.link.endsWith(u".mp3 "), qPrintable(record.link)); // one blank, which the trim drops
        QVERIFY(!record.title.isEmpty());
        QVERIFY2(record.title.contains(Su) || !record.title.contains(u" - "), qPrintable(record.title));
    }
    // The two characters after the marker are plain text, not an entity a browser would rewrite.
    const qsizetype marker = page.indexOf(RecordMarker);
    QVERIFY(!page.sliced(marker + RecordMarker.size(), 2).contains(u'&'));
    QVERIFY(!page.sliced(marker + RecordMarker.size(), 2).contains(u'<'));
}

void TestPageGenerator::pagesFollowOnWithoutGapsOrOverlap()
{
    const PageGenerator generator;
    const qsizetype total = recordCount(Su);
    QVERIFY(total > 360);
    QStringList links;
    int lastPageRecords = 0;
    for (int offset = 0; offset < total; offset += PageGenerator::RecordsPerPage) {
        const QList<MarkedRecord> records = markedRecords(generator.searchPage(Su, offset));
        lastPageRecords = int(records.size());
        for (const MarkedRecord& record : records)
            links.append(record.link);
    }
    QCOMPARE(links.size(), total);
    QCOMPARE(lastPageRecords, int(total % 30 == 0 ? 30 : total % 30));
    // Mirror copies share the name but never the address.
    QStringList addresses;
    for (const QString& link : std::as_const(links)) {
        if (!link.contains(u"请参照"))
            addresses.append(link);
    }
    QVERIFY(addresses.size() > links.size() * 9 / 10);
    QCOMPARE(QSet<QString>(addresses.cbegin(), addresses.cend()).size(), addresses.size());
}

void TestPageGenerator::pagesWithoutRecords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("offset");
    QTest::newRow("past the last record") << Su << 30000;
    QTest::newRow("largest offset") << Su << INT_MAX;
    QTest::newRow("nothing found") << QStringLiteral("没有这样的歌zz") << 0;
    QTest::newRow("empty word") << QString() << 0;
    QTest::newRow("blank word") << QStringLiteral("  ") << 0;
}

void TestPageGenerator::pagesWithoutRecords()
{
    QFETCH(QString, word);
    QFETCH(int, offset);
    const QString page = PageGenerator().searchPage(word, offset);
    QCOMPARE(occurrences(page, RecordMarker), 0);
    QCOMPARE(occurrences(page, u"_blank>"), 0);
    QVERIFY(page.contains(u"</html>"));
}

void TestPageGenerator::samePageEveryTime()
{
    const PageGenerator first;
    const PageGenerator second;
    for (int offset : {0, 30, 90}) {
        QCOMPARE(first.searchPage(Su, offset), second.searchPage(Su, offset));
        QCOMPARE(first.searchPage(Su, offset), first.searchPage(Su, offset));
    }
    QCOMPARE(first.topicListPage(u"/list/dj.html"_s), second.topicListPage(u"/list/dj.html"_s));
}

void TestPageGenerator::wordIsEscaped()
{
    const QString page = PageGenerator().searchPage(QStringLiteral("<script>\"x"), 0);
    QVERIFY(!page.contains(u"<script>"));
    QVERIFY(page.contains(u"&lt;script&gt;&quot;x"));
}

void TestPageGenerator::recordRatesAreAsDocumented()
{
    constexpr int Songs = 20000;
    int twoOrMore = 0, three = 0, records = 0, upper = 0, notice = 0, nameOnly = 0, leadingDash = 0, dot = 0;
    for (SongId id = 0; id < Songs; ++id) {
        const int mirrors = mirrorCountOf(id);
        twoOrMore += mirrors >= 2;
        three += mirrors == 3;
        for (int mirror = 1; mirror <= mirrors; ++mirror, ++records) {
            const RecordTraits traits = recordTraitsOf(id, mirror);
            upper += traits.upperCaseExtension;
            notice += traits.referNotice;
            nameOnly += traits.titleForm == TitleForm::NameOnly;
            leadingDash += traits.titleForm == TitleForm::LeadingDash;
            dot += traits.variantDot;
        }
    }
    const auto near = [](int count, int total, double percent) {
        return qAbs(100.0 * count / total - percent) < 1.0;
    };
    QVERIFY(near(twoOrMore, Songs, 12));
    QVERIFY(near(three, Songs, 4));
    QVERIFY(near(upper, records, 10));
    QVERIFY(near(notice, records, 3));
    QVERIFY(near(nameOnly, records, 3));
    QVERIFY(near(leadingDash, records, 2));
    QVERIFY(near(dot, records, 4));
}

void TestPageGenerator::topicListsAreNumberedUnderTheirHeading()
{
    const PageGenerator generator;
    const TopicLists lists(Catalogue::builtIn());
    for (qsizetype i = 0; i < topics().size(); ++i) {
        const Topic& topic = topics()[i];
        const std::optional<QString> page = generator.topicListPage(topic.path);
        QVERIFY2(page, qPrintable(topic.path));
        QVERIFY(page->indexOf(u"帮助") < page->indexOf(topic.heading, page->indexOf(u"帮助")));
        QVERIFY(page->contains(u"href="));
        const QStringList names = numberedNames(*page, topic.heading);
        QCOMPARE(names, lists.entries(i));
        QVERIFY2(names.size() >= 40, qPrintable(topic.heading));
    }
    QCOMPARE(lists.entries(0).size(), 100);
    QCOMPARE(lists.entries(1).size(), 500);
    QCOMPARE(topics()[0].heading, QStringLiteral("新歌TOP100"));
    QCOMPARE(topics()[8].heading, QStringLiteral("热门DJ"));
}

void TestPageGenerator::topicNamesAreFoundBySearch()
{
    const TopicLists lists(Catalogue::builtIn());
    for (qsizetype i = 0; i < topics().size(); ++i) {
        for (const QString& name : lists.entries(i)) {
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(topics()[i].heading));
            QVERIFY2(!Catalogue::builtIn().find(name).isEmpty(), qPrintable(name));
        }
    }
}

void TestPageGenerator::otherPathsAreNoTopic_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("topic");
    QTest::newRow("with fragment") << QStringLiteral("/list/dj.html#top10") << true;
    QTest::newRow("no fragment") << QStringLiteral("/list/qgddp.html") << true;
    QTest::newRow("with query") << QStringLiteral("/song/A.htm?x=1") << true;
    QTest::newRow("other case") << QStringLiteral("/LIST/DJ.HTML") << false;
    QTest::newRow("unknown") << QStringLiteral("/list/none.html") << false;
    QTest::newRow("root") << QStringLiteral("/") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestPageGenerator::otherPathsAreNoTopic()
{
    QFETCH(QString, path);
    QFETCH(bool, topic);
    QCOMPARE(PageGenerator().topicListPage(path).has_value(), topic);
}

QTEST_GUILESS_MAIN(TestPageGenerator)
#include "tst_pagegenerator.moc"
