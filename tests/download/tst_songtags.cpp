// SPDX-License-Identifier: MIT
#include "base/gbktext.h"
#include "download/taggedfile.h"
#include "tests/download/tagreading.h"
#include "tests/filecontents.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>

#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qorvin;
using namespace Qorvin::Test;
using namespace Qt::StringLiterals;

namespace {

enum class Fixture
{
    Bare,       // frames only
    GbkLatin1,  // ID3v2.3 text in GBK flagged Latin-1, an ID3v1 tag in GBK and an APE tag
    CafeLatin1, // a true Latin-1 singer
    Utf8V24,    // an ID3v2.4 tag in UTF-8
    Cover,      // a cover picture and an ID3v1 tag
    Advert,     // a web address as comment and as link, beside a real comment
    Empty,      // no bytes at all
};

// MPEG-1 Layer III frame headers with filler: what matters is that not one byte changes.
QByteArray audioBytes()
{
    QByteArray audio;
    for (int frame = 0; frame < 40; ++frame) {
        audio += QByteArray("\xFF\xFB\x18\xC4", 4);
        for (int i = 0; i < 140; ++i)
            audio += char((frame * 31 + i * 7) & 0x7F);
    }
    return audio;
}

TagLib::String gbkAsLatin1(const QString& text)
{
    const QByteArray bytes = gbkBytes(text).value();
    return TagLib::String(TagLib::ByteVector(bytes.constData(), uint(bytes.size())), TagLib::String::Latin1);
}

TagLib::String utf8(const QString& text)
{
    return TagLib::String(text.toUtf8().toStdString(), TagLib::String::UTF8);
}

template <typename Frame> void add(TagLib::ID3v2::Tag* tag, Frame* frame, const TagLib::String& text)
{
    frame->setText(text);
    tag->addFrame(frame);
}

void addText(TagLib::ID3v2::Tag* tag, const char* id, const TagLib::String& text, TagLib::String::Type type)
{
    add(tag, new TagLib::ID3v2::TextIdentificationFrame(id, type), text);
}

void makeFixture(const QString& path, Fixture fixture)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (fixture != Fixture::Empty)
        file.write(audioBytes());
    file.close();
    if (fixture == Fixture::Bare || fixture == Fixture::Empty)
        return;

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData(), false);
    TagLib::ID3v2::Tag* tag = mpeg.ID3v2Tag(true);
    int tags = TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::APE;
    TagLib::ID3v2::Version version = TagLib::ID3v2::v3;
    if (fixture == Fixture::GbkLatin1) {
        addText(tag, "TIT2", gbkAsLatin1(u"如梦令"_s), TagLib::String::Latin1);
        addText(tag, "TPE1", gbkAsLatin1(u"李清照"_s), TagLib::String::Latin1);
        addText(tag, "TALB", gbkAsLatin1(u"宋词"_s), TagLib::String::Latin1);
        mpeg.ID3v1Tag(true)->setArtist(gbkAsLatin1(u"李清照"_s));
        mpeg.APETag(true)->setArtist(utf8(u"李清照"_s));
    } else if (fixture == Fixture::CafeLatin1) {
        addText(tag, "TPE1", TagLib::String("Café", TagLib::String::UTF8), TagLib::String::Latin1);
    } else if (fixture == Fixture::Utf8V24) {
        addText(tag, "TIT2", utf8(u"旧名"_s), TagLib::String::UTF8);
        addText(tag, "TALB", utf8(u"新歌"_s), TagLib::String::UTF8);
        version = TagLib::ID3v2::v4;
    } else if (fixture == Fixture::Cover) {
        auto* cover = new TagLib::ID3v2::AttachedPictureFrame;
        cover->setMimeType("image/jpeg");
        cover->setPicture(TagLib::ByteVector("\xFF\xD8\xFF\xE0 not really a picture \xFF\xD9"));
        tag->addFrame(cover);
        mpeg.ID3v1Tag(true)->setTitle(gbkAsLatin1(u"旧名"_s));
    } else if (fixture == Fixture::Advert) {
        add(tag, new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF16), utf8(u"www.mp3.example"_s));
        add(tag, new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF16), utf8(u"好听"_s));
        add(tag, new TagLib::ID3v2::UserUrlLinkFrame, utf8(u"http://www.mp3.example/"_s));
    }
    QVERIFY(mpeg.save(tags, TagLib::File::StripNone, version));
}

} // namespace

class TestSongTags : public QObject
{
    Q_OBJECT

private slots:
    void writesTheRowIntoARepairedTag_data();
    void writesTheRowIntoARepairedTag();
    void fullDiskLeavesTheSongWhole_data();
    void fullDiskLeavesTheSongWhole();
};

void TestSongTags::writesTheRowIntoARepairedTag_data()
{
    QTest::addColumn<Fixture>("fixture");
    QTest::addColumn<QString>("pageTitle");
    QTest::addColumn<bool>("copy"); // a tagged copy, as where blocks cannot be inserted in place
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("singer");
    QTest::addColumn<QString>("album");
    QTest::addColumn<int>("comments");

    const QString book = u"宋词三百首"_s; // the batch's keyword
    QTest::newRow("name and singer") << Fixture::Bare << u"水调歌头 - 苏轼"_s << false << true
                                     << u"水调歌头"_s << u"苏轼"_s << book << 0;
    QTest::newRow("quality mark belongs to neither, copied")
        << Fixture::Bare << u"念奴娇 - 苏轼 [128K]"_s << true << true << u"念奴娇"_s << u"苏轼"_s << book
        << 0;
    QTest::newRow("bare name keeps the file's singer, GBK repaired")
        << Fixture::GbkLatin1 << u"如梦令"_s << false << true << u"如梦令"_s << u"李清照"_s << u"宋词"_s << 0;
    QTest::newRow("true Latin-1 stays")
        << Fixture::CafeLatin1 << u"Chanson"_s << false << true << u"Chanson"_s << u"Café"_s << book << 0;
    QTest::newRow("ID3v2.4 UTF-8 becomes ID3v2.3") << Fixture::Utf8V24 << u"蝶恋花 - 柳永"_s << false << true
                                                   << u"蝶恋花"_s << u"柳永"_s << u"新歌"_s << 0;
    QTest::newRow("cover kept, ID3v1 dropped, copied")
        << Fixture::Cover << u"青玉案 - 辛弃疾"_s << true << true << u"青玉案"_s << u"辛弃疾"_s << book << 0;
    QTest::newRow("web address adverts dropped")
        << Fixture::Advert << u"雨霖铃 - 柳永"_s << false << true << u"雨霖铃"_s << u"柳永"_s << book << 1;
    QTest::newRow("name outside GBK") << Fixture::Bare << u"\U00020000 - 苏轼"_s << false << true
                                      << u"\U00020000"_s << u"苏轼"_s << book << 0;
    QTest::newRow("empty file") << Fixture::Empty << u"水调歌头 - 苏轼"_s << false << false << QString()
                                << QString() << QString() << 0;
}

void TestSongTags::writesTheRowIntoARepairedTag()
{
    QFETCH(Fixture, fixture);
    QFETCH(QString, pageTitle);
    QFETCH(bool, copy);
    QFETCH(bool, ok);

    QTemporaryDir dir;
    const QString source = dir.filePath(u"song.mp3.part"_s);
    const QString tagged = dir.filePath(u"song.mp3.tagging"_s);
    makeFixture(source, fixture);
    QFile sourceFile(source);
    QVERIFY(sourceFile.open(QIODevice::ReadOnly));
    const QByteArray sourceBytes = sourceFile.readAll();
    sourceFile.close();

    const SongTagValues values{pageTitle, u"宋词三百首"_s, 7};
    const Outcome result =
        copy ? writeTaggedCopy(source, tagged, values) : tagSongFile(source, tagged, values);
    QCOMPARE(result.ok, ok);
    QCOMPARE(result.errorString.isEmpty(), ok);
    // A copy leaves the source as it was; in place, the source moves only once it can be tagged.
    QCOMPARE(QFile::exists(source), copy || !ok);
    QCOMPARE(QFile::exists(tagged), ok);
    if (copy || !ok) {
        QVERIFY(sourceFile.open(QIODevice::ReadOnly));
        QCOMPARE(sourceFile.readAll(), sourceBytes);
    }
    if (!ok)
        return;

    QFile taggedFile(tagged);
    QVERIFY(taggedFile.open(QIODevice::ReadOnly));
    QCOMPARE(audioOf(taggedFile.readAll()), audioBytes());
    const ReadTags tags = readTags(tagged);
    QVERIFY(tags.id3v2 && !tags.id3v1 && !tags.ape);
    QCOMPARE(tags.version, 3u);
    QFETCH(QString, name);
    QFETCH(QString, singer);
    QFETCH(QString, album);
    QFETCH(int, comments);
    QCOMPARE(tags.title, name);
    QVERIFY(tags.titleInUtf16); // what players of every age read
    QCOMPARE(tags.singer, singer);
    QCOMPARE(tags.album, album);
    QCOMPARE(tags.track, u"7"_s);
    QCOMPARE(tags.comments, comments);
    QCOMPARE(tags.links, 0);
    QCOMPARE(tags.pictures, fixture == Fixture::Cover ? 1 : 0);
}

void TestSongTags::fullDiskLeavesTheSongWhole_data()
{
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<qint64>("shortBy"); // bytes the disk lacks for the tagged song; -1: all of it

    // tmpfs cannot insert blocks: the tag goes into a copy, which runs out of room in its last
    // block, where only the final few bytes are left to write.
    QTest::newRow("copy cut short in its last bytes") << u"tmpfs"_s << true << qint64(2048);
    // ext4 inserts a block before the audio, and finds none free.
    QTest::newRow("no block to insert the tag") << u"ext4"_s << false << qint64(-1);
}

void TestSongTags::fullDiskLeavesTheSongWhole()
{
    QFETCH(QString, fileSystem);
    QFETCH(bool, copy);
    QFETCH(qint64, shortBy);
    if (::geteuid() != 0)
        QSKIP("A small disk of its own needs root: the full disk is not tried here.");
    QTemporaryDir dir;
    const QString disk = dir.filePath(u"disk"_s);
    QVERIFY(QDir().mkpath(disk));
    const QString image = dir.filePath(u"disk.img"_s);
    const bool mounted = fileSystem == u"tmpfs"_s
                             ? QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=1m"_s,
                                                              u"tmpfs"_s, disk}) == 0
                             : writeFile(image, {}) && QFile::resize(image, 2 << 20) &&
                                   QProcess::execute(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, image}) == 0 &&
                                   QProcess::execute(u"mount"_s, {u"-o"_s, u"loop"_s, image, disk}) == 0;
    if (!mounted)
        QSKIP("A small disk cannot be mounted here.");
    const auto unmount = qScopeGuard([&disk] { QProcess::execute(u"umount"_s, {disk}); });

    const QString source = QDir(disk).filePath(u"song.mp3.part"_s);
    QByteArray song;
    for (int copyOfFrames = 0; copyOfFrames < 40; ++copyOfFrames)
        song += audioBytes();
    QVERIFY(writeFile(source, song));
    QFile filler(QDir(disk).filePath(u"filler"_s));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    if (shortBy < 0) {
        while (filler.write(QByteArray(512, 'x')) > 0) {
        }
    } else {
        constexpr qint64 Block = 4096;
        struct statvfs room
        {
        };
        QVERIFY(::statvfs(QFile::encodeName(disk).constData(), &room) == 0);
        const qint64 free = qint64(room.f_bavail) * qint64(room.f_frsize);
        const qint64 leave = (song.size() + shortBy) / Block * Block; // a block short
        QCOMPARE(filler.write(QByteArray(free - leave, 'x')), free - leave);
    }
    filler.close();

    const QString tagged = QDir(disk).filePath(u"song.mp3.tagging"_s);
    const SongTagValues values{u"水调歌头 - 苏轼"_s, u"宋词"_s, 1};
    const Outcome result =
        copy ? writeTaggedCopy(source, tagged, values) : tagSongFile(source, tagged, values);
    QVERIFY2(!result.ok, "a song without all its bytes was kept");
    QVERIFY2(result.errorString.startsWith(u"磁盘已满："_s), qPrintable(result.errorString));
    QVERIFY(!QFile::exists(tagged));
    QCOMPARE(readFile(source), song); // the song stays whole under its part name, untagged
}

QTEST_GUILESS_MAIN(TestSongTags)
#include "tst_songtags.moc"
