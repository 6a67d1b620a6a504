// SPDX-License-Identifier: MIT
// The service with its records from a fake Internet Archive, in process over real sockets.
#include "localservice/localserver.h"
#include "tests/localservice/archivefixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qorvin::LocalService;
using namespace Qorvin::LocalService::Test;

namespace {

struct Fixture
{
    QList<QJsonObject> docs;
    QHash<QString, QJsonObject> items;
};

ServerOptions archiveOptions(const FakeArchive& fake, const QString& cacheFolder = {})
{
    ServerOptions options;
    options.source = ServerOptions::Source::Archive;
    options.archive.address = QUrl(fake.address());
    options.archive.cacheFolder = cacheFolder;
    options.archive.connectTimeoutMs = 1000;
    options.archive.answerTimeoutMs = 1000;
    return options;
}

void load(FakeArchive& fake, const QString& term, const Fixture& fixture)
{
    fake.addSearch(term, fixture.docs);
    for (auto item = fixture.items.cbegin(); item != fixture.items.cend(); ++item)
        fake.addItem(item.key(), item.value());
}

HttpAnswer page(const LocalServer& server, const QString& word, int offset)
{
    return collectAnswer(server.port(), searchRequest(word, offset), CollectUntil::Complete, 10000);
}

QStringList targetsOf(const FakeArchive& fake)
{
    QStringList targets;
    for (const FakeRequest& request : fake.requests)
        targets.append(QString::fromLatin1(request.target));
    return targets;
}

// {"identifier": metadata, ...}: the items a search finds, in this order, and their file lists.
Fixture fixtureOf(const char* json)
{
    Fixture fixture;
    const QJsonObject items = QJsonDocument::fromJson(json).object();
    // QJsonObject sorts its keys: the order the text gives them is read from the text itself.
    QList<std::pair<qsizetype, QString>> order;
    for (auto item = items.begin(); item != items.end(); ++item) {
        order.append({QByteArrayView(json).indexOf("\"" + item.key().toUtf8() + "\": {"), item.key()});
        fixture.items.insert(item.key(), item.value().toObject());
    }
    std::sort(order.begin(), order.end());
    for (const auto& [position, identifier] : order)
        fixture.docs.append(archiveDoc(identifier));
    return fixture;
}

QStringList listOf(const char* entries)
{
    return QString::fromUtf8(entries).split(u'|');
}

Fixture threeItems()
{
    return {
        {archiveDoc(QStringLiteral("a")), archiveDoc(QStringLiteral("b")), archiveDoc(QStringLiteral("c"))},
        {{QStringLiteral("a"), archiveAlbum(QStringLiteral("a"), QStringLiteral("A"), 20)},
         {QStringLiteral("b"), archiveAlbum(QStringLiteral("b"), QStringLiteral("B"), 5)},
         {QStringLiteral("c"), archiveAlbum(QStringLiteral("c"), QStringLiteral("C"), 10)}}};
}

QStringList numbered(const QString& prefix, int first, int last)
{
    QStringList titles;
    for (int i = first; i <= last; ++i)
        titles.append(prefix + u' ' + QString::number(i) + QStringLiteral(" - Band"));
    return titles;
}

} // namespace

Q_DECLARE_METATYPE(Fixture)

class TestArchiveSource : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void failuresArePages_data();
    void failuresArePages();
    void busyArchiveIsAskedAgainAfterRetryAfter();
    void unreachableArchiveFailsFastAfterwards();
    void repeatedSearchesCostNoRequest();
    void topicListsShowTheNamesToSearch_data();
    void topicListsShowTheNamesToSearch();
};

void TestArchiveSource::records_data()
{
    QTest::addColumn<Fixture>("fixture");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("addressEnds");
    QTest::addColumn<QString>("query"); // what the search request's q holds

    const Fixture three = threeItems();
    QTest::newRow("first page of three items")
        << three << QStringLiteral("band") << 0
        << numbered(QStringLiteral("A"), 1, 20) + numbered(QStringLiteral("B"), 1, 5) +
               numbered(QStringLiteral("C"), 1, 5)
        << QStringList{QStringLiteral("/download/a/01.mp3")}
        << QStringLiteral("(band) AND mediatype:(audio)");
    QTest::newRow("second page of three items")
        << three << QStringLiteral("band") << 30 << numbered(QStringLiteral("C"), 6, 10)
        << QStringList{QStringLiteral("/download/c/06.mp3")} << QString();
    QTest::newRow("derivatives not doubled")
        << fixtureOf(R"({"d": {"metadata": {"title": "Item", "creator": "Item band"}, "files": [
             {"name": "1.flac", "format": "Flac", "source": "original", "title": "Flac song", "creator": "Singer"},
             {"name": "1_64kb.mp3", "format": "64Kbps MP3", "source": "derivative", "original": "1.flac"},
             {"name": "1.mp3", "format": "VBR MP3", "source": "derivative", "original": "1.flac"},
             {"name": "2 two#?.mp3", "format": "MP3", "source": "original"},
             {"name": "2 two#?_64kb.mp3", "format": "64Kbps MP3", "source": "derivative", "original": "2 two#?.mp3"},
             {"name": "3.wav", "format": "WAVE", "source": "original"},
             {"name": "3_64kb.mp3", "format": "64Kbps MP3", "source": "derivative", "original": "3.wav"},
             {"name": "3_128kb.mp3", "format": "128Kbps MP3", "source": "derivative", "original": "3.wav"},
             {"name": "cover.jpg", "format": "JPEG", "source": "original"}]}})")
        << QStringLiteral("x") << 0 << listOf("Flac song - Singer|2 two#? - Item band|3_128kb - Item band")
        << listOf("/download/d/1.mp3|/download/d/2%20two%23%3F.mp3|/download/d/3_128kb.mp3") << QString();
    QTest::newRow("links the program reads whole")
        << fixtureOf(R"({"MP3.mp3s": {"files": [
             {"name": "a.MP3", "format": "MP3", "source": "original", "title": "Upper"},
             {"name": "a.mp3", "format": "VBR MP3", "source": "derivative", "original": "a.MP3"},
             {"name": "only.MP3", "format": "MP3", "source": "original", "title": "Unlinkable"}]}})")
        << QStringLiteral("x") << 0 << listOf("Upper") << listOf("/download/%4DP3.%6Dp3s/a.mp3") << QString();
    QTest::newRow("track order, mixed forms")
        << fixtureOf(R"({"t": {"files": [
             {"name": "z.mp3", "format": "VBR MP3", "source": "original", "title": "z"},
             {"name": "ten.mp3", "format": "VBR MP3", "source": "original", "title": "ten", "track": "10"},
             {"name": "three.mp3", "format": "VBR MP3", "source": "original", "title": "three", "track": "03"},
             {"name": "two.mp3", "format": "VBR MP3", "source": "original", "title": "two", "track": "2/12"},
             {"name": "a.mp3", "format": "VBR MP3", "source": "original", "title": "a"},
             {"name": "one.mp3", "format": "VBR MP3", "source": "original", "title": "one", "track": "1"}]}})")
        << QStringLiteral("x") << 0 << listOf("one|two|three|ten|a|z") << QStringList() << QString();
    QTest::newRow("fields as strings or lists")
        << fixtureOf(
               R"({"l": {"metadata": {"title": ["Only song", "Other"], "creator": ["First singer", "B"]},
             "files": [{"name": "s.mp3", "format": "VBR MP3", "source": "original", "track": 1, "size": "12"}]}})")
        << QStringLiteral("x") << 0 << listOf("Only song - First singer") << QStringList() << QString();
    QTest::newRow("a title outside GBK")
        << fixtureOf(R"({"g": {"metadata": {"title": "Ꙭ song", "creator": "周璇"},
             "files": [{"name": "g.mp3", "format": "VBR MP3", "source": "original"}]}})")
        << QStringLiteral("x") << 0 << listOf("Ꙭ song - 周璇") << QStringList() << QString();
    QTest::newRow("an item with no MP3 is skipped")
        << fixtureOf(R"({"n": {"files": [{"name": "n.flac", "format": "Flac", "source": "original"}]},
             "m": {"metadata": {"title": "M", "creator": "Y"},
                   "files": [{"name": "m.mp3", "format": "VBR MP3", "source": "original"}]}})")
        << QStringLiteral("x") << 0 << listOf("M - Y") << QStringList() << QString();
    QTest::newRow("Lucene escaping, ideographs")
        << Fixture() << QStringLiteral("苏轼 (词)") << 0 << QStringList() << QStringList()
        << QStringLiteral("(苏轼 \\(词\\)) AND mediatype:(audio)");
    QTest::newRow("Lucene escaping, operators")
        << Fixture() << QStringLiteral("a:b*") << 0 << QStringList() << QStringList()
        << QStringLiteral("(a\\:b\\*) AND mediatype:(audio)");
}

void TestArchiveSource::records()
{
    QFETCH(Fixture, fixture);
    QFETCH(QString, word);
    QFETCH(int, offset);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, addressEnds);
    QFETCH(QString, query);

    FakeArchive fake;
    load(fake, QString(), fixture);
    LocalServer server(archiveOptions(fake));
    QVERIFY(server.listen());

    // Every page up to the one asked for, as the program's crawl reads them.
    HttpAnswer answer;
    for (int shown = 0; shown <= offset; shown += 30)
        answer = page(server, word, shown);
    QCOMPARE(answer.status(), 200);
    const QList<ShownRecord> records = shownRecords(answer.body());
    QCOMPARE(titlesOf(records), titles);
    for (qsizetype i = 0; i < addressEnds.size(); ++i) {
        QVERIFY2(records[i].address.startsWith(fake.address()), qPrintable(records[i].address));
        QVERIFY2(records[i].address.endsWith(addressEnds[i]), qPrintable(records[i].address));
    }
    // No request is made twice, whatever number of pages was read.
    const QStringList targets = targetsOf(fake);
    QCOMPARE(QSet<QString>(targets.cbegin(), targets.cend()).size(), targets.size());
    if (!query.isEmpty())
        QCOMPARE(fake.requests.first().query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), query);
    for (const FakeRequest& request : std::as_const(fake.requests))
        QVERIFY(request.header("user-agent").startsWith("mp3qorvin-service/" QORVIN_VERSION));
}

void TestArchiveSource::failuresArePages_data()
{
    QTest::addColumn<QString>("failing");  // the path the fault hits
    QTest::addColumn<int>("answerStatus"); // 0: no answer ever comes
    QTest::addColumn<QByteArray>("answerBody");
    QTest::addColumn<int>("status");     // of the result page
    QTest::addColumn<QString>("notice"); // the page's text says this

    const QString search = QStringLiteral("/advancedsearch.php");
    const QString item = QStringLiteral("/metadata/");
    const QString reach = QStringLiteral("无法连接 Internet Archive：");
    const QByteArray malformed = "{\"response\": {\"docs\": [";
    const QByteArray huge = "{\"files\": \"" + QByteArray(20 * 1024 * 1024, 'x') + "\"}";
    const QString none = QStringLiteral("没有找到");
    QTest::newRow("search 500") << search << 500 << QByteArray() << 502
                                << reach + QStringLiteral("服务器回答 HTTP 500");
    QTest::newRow("search stalls") << search << 0 << QByteArray() << 502
                                   << reach + QStringLiteral("回答超时");
    QTest::newRow("search malformed")
        << search << 200 << malformed << 502 << reach + QStringLiteral("回答不是有效的JSON");
    QTest::newRow("search of 20 MB") << search << 200 << huge << 502
                                     << reach + QStringLiteral("回答超过16 MB");
    QTest::newRow("search {}") << search << 200 << QByteArray("{}") << 502
                               << reach + QStringLiteral("搜索回答的结构不对");
    QTest::newRow("search repeating one item, found 1e9")
        << search << 200 << QByteArray(R"({"response": {"numFound": 1e9, "docs": [{"identifier": "x"}]}})")
        << 200 << none;
    QTest::newRow("item stalls: skipped") << item << 0 << QByteArray() << 200 << none;
    QTest::newRow("item {}: skipped") << item << 200 << QByteArray("{}") << 200 << none;
    QTest::newRow("item is dark: skipped") << item << 200 << QByteArray("{\"is_dark\": true}") << 200 << none;
}

void TestArchiveSource::failuresArePages()
{
    QFETCH(QString, failing);
    QFETCH(int, answerStatus);
    QFETCH(QByteArray, answerBody);
    QFETCH(int, status);
    QFETCH(QString, notice);

    FakeArchive fake;
    load(fake, QString(),
         fixtureOf(R"({"i": {"files": [{"name": "i.mp3", "format": "VBR MP3", "source": "original"}]}})"));
    fake.fault = [&](const FakeRequest& request) -> std::optional<FakeAnswer> {
        if (!request.path.startsWith(failing))
            return std::nullopt;
        FakeAnswer answer;
        answer.status = answerStatus;
        answer.body = answerBody;
        answer.never = answerStatus == 0;
        return answer;
    };
    LocalServer server(archiveOptions(fake));
    QVERIFY(server.listen());

    QElapsedTimer clock;
    clock.start();
    const HttpAnswer answer = page(server, QStringLiteral("i"), 0);
    QVERIFY2(clock.elapsed() < 5000, "a failure must end in a page, soon");
    QCOMPARE(answer.status(), status);
    QVERIFY(shownRecords(answer.body()).isEmpty());
    QVERIFY2(decodeGbk(answer.body()).value_or(QString()).contains(notice), answer.body().constData());
    QVERIFY2(fake.requests.size() <= 4, qPrintable(targetsOf(fake).join(u' ')));
}

void TestArchiveSource::busyArchiveIsAskedAgainAfterRetryAfter()
{
    FakeArchive fake;
    load(fake, QString(), threeItems());
    int busy = 1;
    fake.fault = [&](const FakeRequest&) -> std::optional<FakeAnswer> {
        if (busy-- <= 0)
            return std::nullopt;
        FakeAnswer answer;
        answer.status = 429;
        answer.headers.emplaceBack("Retry-After", "1");
        return answer;
    };
    LocalServer server(archiveOptions(fake));
    QVERIFY(server.listen());
    QElapsedTimer clock;
    clock.start();
    const HttpAnswer answer = page(server, QStringLiteral("band"), 0);
    QCOMPARE(answer.status(), 200);
    QCOMPARE(shownRecords(answer.body()).size(), 30);
    QVERIFY(clock.elapsed() >= 1000);
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(fake.requests[0].target, fake.requests[1].target); // the same search, asked again
}

void TestArchiveSource::unreachableArchiveFailsFastAfterwards()
{
    ServerOptions options;
    {
        FakeArchive gone;
        options = archiveOptions(gone);
    }
    LocalServer server(options);
    QVERIFY(server.listen());
    QCOMPARE(page(server, QStringLiteral("a"), 0).status(), 502);
    // The next pages, other keywords too, answer at once without trying again.
    for (const QString& word : {QStringLiteral("b"), QStringLiteral("a")}) {
        QElapsedTimer clock;
        clock.start();
        const HttpAnswer answer = page(server, word, 30);
        QCOMPARE(answer.status(), 502);
        QVERIFY(decodeGbk(answer.body()).value_or(QString()).contains(QStringLiteral("连接被拒绝")));
        QVERIFY(clock.elapsed() < 200);
    }
}

void TestArchiveSource::repeatedSearchesCostNoRequest()
{
    QTemporaryDir cache;
    FakeArchive fake;
    // Large file lists, so that a few of them reach the cap.
    Fixture many;
    for (int i = 0; i < 12; ++i) {
        const QString id = i == 0 ? QStringLiteral("../../escape") : QStringLiteral("big%1").arg(i);
        many.docs.append(archiveDoc(id));
        many.items.insert(id, archiveAlbum(id, QStringLiteral("Song %1").arg(i), 60));
    }
    load(fake, QString(), many);
    ServerOptions options = archiveOptions(fake, cache.path() + QStringLiteral("/mp3qorvin"));
    options.archive.cacheBytes = 40 * 1024; // about four file lists
    {
        LocalServer first(options);
        QVERIFY(first.listen());
        QCOMPARE(shownRecords(page(first, QStringLiteral("song"), 0).body()).size(), 30);
        const qsizetype asked = fake.requests.size();
        // The same search again, in the same service: no request at all.
        QCOMPARE(shownRecords(page(first, QStringLiteral("song"), 0).body()).size(), 30);
        QCOMPARE(fake.requests.size(), asked);
    }
    const qsizetype asked = fake.requests.size();
    {
        // A service started afresh answers the search from the disk.
        options.archive.cacheBytes = 64 * 1024 * 1024;
        LocalServer second(options);
        QVERIFY(second.listen());
        QCOMPARE(shownRecords(page(second, QStringLiteral("song"), 0).body()).size(), 30);
        QCOMPARE(fake.requests.size(), asked);
    }
    {
        // Entries older than the maximum age are asked for again.
        options.archive.cacheMaxAgeSeconds = 0;
        LocalServer refreshing(options);
        QVERIFY(refreshing.listen());
        QCOMPARE(shownRecords(page(refreshing, QStringLiteral("song"), 0).body()).size(), 30);
        QVERIFY(fake.requests.size() > asked);
        options.archive.cacheMaxAgeSeconds = 24 * 60 * 60;
    }
    {
        // Under a small cap, many file lists leave the folder under it.
        options.archive.cacheBytes = 40 * 1024;
        LocalServer third(options);
        QVERIFY(third.listen());
        for (int offset = 0; offset <= 600; offset += 30)
            page(third, QStringLiteral("song"), offset);
        qint64 bytes = 0;
        const QFileInfoList entries =
            QDir(cache.path() + QStringLiteral("/mp3qorvin")).entryInfoList(QDir::Files);
        for (const QFileInfo& entry : entries) {
            bytes += entry.size();
            QVERIFY2(entry.fileName().contains(QRegularExpression(QStringLiteral("^[0-9a-f]{64}\\.json$"))),
                     qPrintable(entry.fileName()));
        }
        QVERIFY(bytes <= options.archive.cacheBytes);
        QVERIFY(entries.size() >= 2);
        // Nothing was written outside the folder, whatever an identifier holds.
        QCOMPARE(QDir(cache.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("mp3qorvin")});
    }
}

void TestArchiveSource::topicListsShowTheNamesToSearch_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("values"); // of the items found, in order
    QTest::addColumn<QStringList>("names");  // the list shows
    QTest::newRow("热门DJ: titles, each once")
        << QByteArray("/list/dj.html") << QStringLiteral("title")
        << QStringList{QStringLiteral("Night mix"), QString(), QStringLiteral("Night mix"),
                       QStringLiteral("舞曲")}
        << QStringList{QStringLiteral("Night mix"), QStringLiteral("舞曲")};
    QTest::newRow("歌手列表: creators")
        << QByteArray("/singer/singers.html") << QStringLiteral("creator")
        << QStringList{QStringLiteral("周璇"), QStringLiteral("白光"), QStringLiteral("周璇")}
        << QStringList{QStringLiteral("周璇"), QStringLiteral("白光")};
}

void TestArchiveSource::topicListsShowTheNamesToSearch()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QFETCH(QStringList, names);
    FakeArchive fake;
    QList<QJsonObject> docs;
    for (qsizetype i = 0; i < values.size(); ++i)
        docs.append({{QStringLiteral("identifier"), QString::number(i)}, {field, values[i]}});
    fake.addSearch(QString(), docs);
    LocalServer server(archiveOptions(fake));
    QVERIFY(server.listen());
    const HttpAnswer answer = exchange(server.port(), getRequest("http://list.mp3.baidu.com" + path), 10000);
    QCOMPARE(answer.status(), 200);
    static const QRegularExpression entry(
        QStringLiteral("<td class=n>\\d+\\.</td><td><A href=\"[^\"]*\" target=_blank>([^<]*)</A>"));
    QStringList shown;
    const QString page = decodeGbk(answer.body()).value_or(QString());
    for (auto it = entry.globalMatch(page); it.hasNext();)
        shown.append(it.next().captured(1));
    QCOMPARE(shown, names);
    QCOMPARE(fake.requests.size(), 1);
}

QTEST_GUILESS_MAIN(TestArchiveSource)
#include "tst_archivesource.moc"
