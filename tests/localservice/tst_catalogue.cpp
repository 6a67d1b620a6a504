// SPDX-License-Identifier: MIT
#include "localservice/catalogue.h"

#include <QTest>

using namespace Qorvin::LocalService;

namespace {

const QString SmallCatalogue = QStringLiteral("水调歌头·明月几时有\t苏轼\n"
                                              "念奴娇·大江东去\t苏轼\n"
                                              "声声慢·寻寻觅觅\t李清照\n"
                                              "no tab on this line\n"
                                              "\n"
                                              "Hello Song\tSomeone\n"
                                              "水调歌头·明月几时有\t无名氏\n");

QList<SongId> ids(std::initializer_list<SongId> list)
{
    return QList<SongId>(list);
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void readsLinesWithATab();
    void find_data();
    void find();
    void classicsKeepTheirOrderAndSkipUnknownNames();
    void builtInHoldsTheCollections();
};

void TestCatalogue::readsLinesWithATab()
{
    const Catalogue catalogue = Catalogue::fromText(SmallCatalogue);
    QCOMPARE(catalogue.size(), 5);
    QCOMPARE(catalogue.song(2).name, QStringLiteral("声声慢·寻寻觅觅"));
    QCOMPARE(catalogue.song(2).singer, QStringLiteral("李清照"));
    QCOMPARE(catalogue.song(3).name, QStringLiteral("Hello Song"));
}

void TestCatalogue::find_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QList<SongId>>("expected");
    QTest::newRow("singer") << QStringLiteral("苏轼") << ids({0, 1});
    QTest::newRow("part of a name") << QStringLiteral("明月") << ids({0, 4});
    QTest::newRow("name of two singers, catalogue order")
        << QStringLiteral("水调歌头·明月几时有") << ids({0, 4});
    QTest::newRow("terms must all occur") << QStringLiteral("明月 苏轼") << ids({0});
    QTest::newRow("ideographic space separates") << QStringLiteral("明月　无名氏") << ids({4});
    QTest::newRow("blanks around") << QStringLiteral("  李清照 ") << ids({2});
    QTest::newRow("latin, any case") << QStringLiteral("hello") << ids({3});
    QTest::newRow("no such character") << QStringLiteral("鲸") << ids({});
    QTest::newRow("characters apart") << QStringLiteral("苏照") << ids({});
    QTest::newRow("empty") << QString() << ids({});
    QTest::newRow("blanks only") << QStringLiteral("   ") << ids({});
    QTest::newRow("longer than any name") << QString(300, u'明') << ids({});
}

void TestCatalogue::find()
{
    QFETCH(QString, word);
    QFETCH(QList<SongId>, expected);
    QCOMPARE(Catalogue::fromText(SmallCatalogue).find(word), expected);
}

void TestCatalogue::classicsKeepTheirOrderAndSkipUnknownNames()
{
    const Catalogue catalogue = Catalogue::fromText(
        SmallCatalogue, QStringLiteral("声声慢·寻寻觅觅\n没有这首\n水调歌头·明月几时有\n"));
    QCOMPARE(catalogue.classics(), ids({2, 0}));
}

void TestCatalogue::builtInHoldsTheCollections()
{
    const Catalogue& catalogue = Catalogue::builtIn();
    QVERIFY(catalogue.size() > 30000);
    QVERIFY(catalogue.classics().size() > 250);
    const QList<SongId> su = catalogue.find(QStringLiteral("苏轼"));
    QVERIFY(su.size() > 300);
    bool moonSong = false;
    for (SongId id : su)
        moonSong = moonSong || catalogue.song(id).name == QStringLiteral("水调歌头·明月几时有");
    QVERIFY(moonSong);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
