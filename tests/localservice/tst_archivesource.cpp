// SPDX-License-Identifier: MIT
// The service with its records from a fake Internet Archive, in process over real sockets.
#include "localservice/localserver.h"
#include "tests/localservice/archivefixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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

// A query value by its key, "[]" in the key percent-encoded or not.
QString queryValue(const FakeRequest& request, const QString& key)
{
    const auto items = request.query.queryItems(QUrl::FullyDecoded);
    for (const auto& item : items) {
        if (QUrl::fromPercentEncoding(item.first.toUtf8()) == key)
            return item.second;
    }
    return {};
}

QStringList targetsOf(const FakeArchive& fake)
{
    QStringList targets;
    for (const FakeRequest& request : fake.requests)
        targets.append(QString::fromLatin1(request.target));
    return targets;
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

    const QJsonObject flac{{QStringLiteral("title"), QStringLiteral("Flac song")},
                           {QStringLiteral("creator"), QStringLiteral("Singer")}};
    const Fixture derivatives{
        {archiveDoc(QStringLiteral("d"))},
        {{QStringLiteral("d"),
          archiveMetadata(
              QStringLiteral("d"), QStringLiteral("Item"), QStringLiteral("Item band"),
              {archiveFile(QStringLiteral("1.flac"), QStringLiteral("Flac"), QStringLiteral("original"),
                           flac),
               archiveFile(QStringLiteral("1_64kb.mp3"), QStringLiteral("64Kbps MP3"),
                           QStringLiteral("derivative"),
                           {{QStringLiteral("original"), QStringLiteral("1.flac")}}),
               archiveFile(QStringLiteral("1.mp3"), QStringLiteral("VBR MP3"), QStringLiteral("derivative"),
                           {{QStringLiteral("original"), QStringLiteral("1.flac")}}),
               archiveFile(QStringLiteral("2 two#?.mp3"), QStringLiteral("MP3"), QStringLiteral("original")),
               archiveFile(QStringLiteral("2 two#?_64kb.mp3"), QStringLiteral("64Kbps MP3"),
                           QStringLiteral("derivative"),
                           {{QStringLiteral("original"), QStringLiteral("2 two#?.mp3")}}),
               archiveFile(QStringLiteral("3.wav"), QStringLiteral("WAVE"), QStringLiteral("original")),
               archiveFile(QStringLiteral("3_64kb.mp3"), QStringLiteral("64Kbps MP3"),
                           QStringLiteral("derivative"),
                           {{QStringLiteral("original"), QStringLiteral("3.wav")}}),
               archiveFile(QStringLiteral("3_128kb.mp3"), QStringLiteral("128Kbps MP3"),
                           QStringLiteral("derivative"),
                           {{QStringLiteral("original"), QStringLiteral("3.wav")}}),
               archiveFile(QStringLiteral("cover.jpg"), QStringLiteral("JPEG"),
                           QStringLiteral("original"))})}}};
    QTest::newRow("derivatives not doubled")
        << derivatives << QStringLiteral("x") << 0
        << QStringList{QStringLiteral("Flac song - Singer"), QStringLiteral("2 two#? - Item band"),
                       QStringLiteral("3_128kb - Item band")}
        << QStringList{QStringLiteral("/download/d/1.mp3"), QStringLiteral("/download/d/2%20two%23%3F.mp3"),
                       QStringLiteral("/download/d/3_128kb.mp3")}
        << QString();

    const auto track = [](const QString& name, const QJsonValue& number) {
        QJsonObject extra{{QStringLiteral("title"), name}};
        if (!number.isNull())
            extra.insert(QStringLiteral("track"), number);
        return archiveFile(name + QStringLiteral(".mp3"), QStringLiteral("VBR MP3"),
                           QStringLiteral("original"), extra);
    };
    const Fixture tracks{
        {archiveDoc(QStringLiteral("t"))},
        {{QStringLiteral("t"),
          archiveMetadata(
              QStringLiteral("t"), QStringLiteral("T"), QJsonValue(),
              {track(QStringLiteral("z"), QJsonValue()), track(QStringLiteral("ten"), QStringLiteral("10")),
               track(QStringLiteral("three"), QStringLiteral("03")),
               track(QStringLiteral("two"), QStringLiteral("2/12")), track(QStringLiteral("a"), QJsonValue()),
               track(QStringLiteral("one"), QStringLiteral("1"))})}}};
    QTest::newRow("track order, mixed forms")
        << tracks << QStringLiteral("x") << 0
        << QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                       QStringLiteral("ten"), QStringLiteral("a"),   QStringLiteral("z")}
        << QStringList() << QString();

    const Fixture lists{
        {archiveDoc(QStringLiteral("l"))},
        {{QStringLiteral("l"),
          archiveMetadata(
              QStringLiteral("l"), QJsonArray{QStringLiteral("Only song"), QStringLiteral("Other")},
              QJsonArray{QStringLiteral("First singer"), QStringLiteral("Second")},
              {archiveFile(
                  QStringLiteral("s.mp3"), QStringLiteral("VBR MP3"), QStringLiteral("original"),
                  {{QStringLiteral("track"), 1}, {QStringLiteral("size"), QStringLiteral("12")}})})}}};
    QTest::newRow("fields as strings or lists")
        << lists << QStringLiteral("x") << 0 << QStringList{QStringLiteral("Only song - First singer")}
        << QStringList() << QString();

    const Fixture beyondGbk{
        {archiveDoc(QStringLiteral("g"))},
        {{QStringLiteral("g"),
          archiveMetadata(QStringLiteral("g"), QStringLiteral("Ꙭ song"), QStringLiteral("周璇"),
                          {archiveFile(QStringLiteral("g.mp3"), QStringLiteral("VBR MP3"),
                                       QStringLiteral("original"))})}}};
    QTest::newRow("a title outside GBK")
        << beyondGbk << QStringLiteral("x") << 0 << QStringList{QStringLiteral("Ꙭ song - 周璇")}
        << QStringList() << QString();

    const Fixture noMp3{
        {archiveDoc(QStringLiteral("n")), archiveDoc(QStringLiteral("m"))},
        {{QStringLiteral("n"), archiveMetadata(QStringLiteral("n"), QStringLiteral("N"), QStringLiteral("X"),
                                               {archiveFile(QStringLiteral("n.flac"), QStringLiteral("Flac"),
                                                            QStringLiteral("original"))})},
         {QStringLiteral("m"),
          archiveMetadata(QStringLiteral("m"), QStringLiteral("M"), QStringLiteral("Y"),
                          {archiveFile(QStringLiteral("m.mp3"), QStringLiteral("VBR MP3"),
                                       QStringLiteral("original"))})}}};
    QTest::newRow("an item with no MP3 is skipped")
        << noMp3 << QStringLiteral("x") << 0 << QStringList{QStringLiteral("M - Y")} << QStringList()
        << QString();

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
    if (!query.isEmpty()) {
        const FakeRequest& search = fake.requests.first();
        QCOMPARE(queryValue(search, QStringLiteral("q")), query);
        QCOMPARE(queryValue(search, QStringLiteral("sort[]")), QStringLiteral("downloads desc"));
        QCOMPARE(queryValue(search, QStringLiteral("rows")), QStringLiteral("50"));
    }
    for (const FakeRequest& request : std::as_const(fake.requests))
        QVERIFY(request.header("user-agent").startsWith("mp3qorvin-service/" QORVIN_VERSION));
}

void TestArchiveSource::failuresArePages_data()
{
    QTest::addColumn<QString>("failing"); // the path the fault hits
    QTest::addColumn<int>("fault");       // 0 refused, else the fault's kind below
    QTest::addColumn<int>("status");      // of the result page
    QTest::addColumn<QString>("notice");  // the page's text says this

    enum
    {
        ServerError = 1,
        Stall,
        Malformed,
        Huge,
        Empty,
        Dark,
    };
    const QString search = QStringLiteral("/advancedsearch.php");
    const QString item = QStringLiteral("/metadata/");
    const QString reach = QStringLiteral("无法连接 Internet Archive：");
    QTest::newRow("refused connection") << search << 0 << 502 << reach + QStringLiteral("连接被拒绝");
    QTest::newRow("search 500") << search << int(ServerError) << 502
                                << reach + QStringLiteral("服务器回答 HTTP 500");
    QTest::newRow("search stalls") << search << int(Stall) << 502 << reach + QStringLiteral("回答超时");
    QTest::newRow("search malformed")
        << search << int(Malformed) << 502 << reach + QStringLiteral("回答不是有效的JSON");
    QTest::newRow("search of 20 MB") << search << int(Huge) << 502 << reach + QStringLiteral("回答超过16 MB");
    QTest::newRow("search {}") << search << int(Empty) << 502 << reach + QStringLiteral("搜索回答的结构不对");
    QTest::newRow("item 500: skipped") << item << int(ServerError) << 200 << QStringLiteral("没有找到");
    QTest::newRow("item stalls: skipped") << item << int(Stall) << 200 << QStringLiteral("没有找到");
    QTest::newRow("item malformed: skipped") << item << int(Malformed) << 200 << QStringLiteral("没有找到");
    QTest::newRow("item of 20 MB: skipped") << item << int(Huge) << 200 << QStringLiteral("没有找到");
    QTest::newRow("item {}: skipped") << item << int(Empty) << 200 << QStringLiteral("没有找到");
    QTest::newRow("item is dark: skipped") << item << int(Dark) << 200 << QStringLiteral("没有找到");
}

void TestArchiveSource::failuresArePages()
{
    QFETCH(QString, failing);
    QFETCH(int, fault);
    QFETCH(int, status);
    QFETCH(QString, notice);

    auto fake = std::make_unique<FakeArchive>();
    load(*fake, QString(),
         {{archiveDoc(QStringLiteral("i"))},
          {{QStringLiteral("i"), archiveAlbum(QStringLiteral("i"), QStringLiteral("I"), 3)}}});
    fake->fault = [&](const FakeRequest& request) -> std::optional<FakeAnswer> {
        if (!request.path.startsWith(failing))
            return std::nullopt;
        FakeAnswer answer;
        switch (fault) {
        case 1:
            answer.status = 500;
            break;
        case 2:
            answer.never = true;
            break;
        case 3:
            answer.body = "{\"response\": {\"docs\": [";
            break;
        case 4:
            answer.body = "{\"files\": \"" + QByteArray(20 * 1024 * 1024, 'x') + "\"}";
            break;
        case 5:
            answer.body = "{}";
            break;
        default:
            answer.body = "{\"is_dark\": true}";
            break;
        }
        return answer;
    };
    ServerOptions options = archiveOptions(*fake);
    if (fault == 0)
        fake.reset(); // nobody listens there any more
    LocalServer server(options);
    QVERIFY(server.listen());

    QElapsedTimer clock;
    clock.start();
    const HttpAnswer answer = page(server, QStringLiteral("i"), 0);
    QVERIFY2(clock.elapsed() < 5000, "a failure must end in a page, soon");
    QCOMPARE(answer.status(), status);
    QVERIFY(shownRecords(answer.body()).isEmpty());
    QVERIFY2(decodeGbk(answer.body()).value_or(QString()).contains(notice), answer.body().constData());
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
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("sort");
    QTest::newRow("热门DJ: titles, each once")
        << QByteArray("/list/dj.html") << QStringLiteral("title")
        << QStringList{QStringLiteral("Night mix"), QString(), QStringLiteral("Night mix"),
                       QStringLiteral("舞曲")}
        << QStringList{QStringLiteral("Night mix"), QStringLiteral("舞曲")}
        << QStringLiteral("mediatype:(audio) AND subject:(dj OR electronic OR remix)")
        << QStringLiteral("downloads desc");
    QTest::newRow("歌手列表: creators")
        << QByteArray("/singer/singers.html") << QStringLiteral("creator")
        << QStringList{QStringLiteral("周璇"), QStringLiteral("白光"), QStringLiteral("周璇")}
        << QStringList{QStringLiteral("周璇"), QStringLiteral("白光")}
        << QStringLiteral("mediatype:(audio) AND collection:(georgeblood)")
        << QStringLiteral("downloads desc");
    QTest::newRow("新歌TOP100: newest")
        << QByteArray("/list/newhits.html") << QStringLiteral("title") << QStringList{QStringLiteral("New")}
        << QStringList{QStringLiteral("New")}
        << QStringLiteral("mediatype:(audio) AND collection:(audio_music OR netlabels)")
        << QStringLiteral("publicdate desc");
}

void TestArchiveSource::topicListsShowTheNamesToSearch()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QFETCH(QStringList, names);
    QFETCH(QString, query);
    QFETCH(QString, sort);
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
    QCOMPARE(fake.requests[0].query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), query);
    QCOMPARE(queryValue(fake.requests[0], QStringLiteral("sort[]")), sort);
}

QTEST_GUILESS_MAIN(TestArchiveSource)
#include "tst_archivesource.moc"
