// SPDX-License-Identifier: MIT
#include "app/window/pictures.h"

#include <QBitmap>
#include <QFile>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

using namespace Qorvin;

namespace {

QByteArray pictureBytes(const QString& fileName)
{
    Pictures::windowIcon(); // makes sure the pictures are registered
    QFile file(Pictures::resourcePath(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 word(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 dword(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void picturesHaveTheirFormsAndSizes_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("banner") << QStringLiteral("banner.jpg") << QByteArray("jpeg") << QSize(999, 8);
        QTest::newRow("panel") << QStringLiteral("panel.jpg") << QByteArray("jpeg") << QSize(460, 220);
        QTest::newRow("button") << QStringLiteral("button.jpg") << QByteArray("jpeg") << QSize(71, 20);
        QTest::newRow("menu") << QStringLiteral("menubutton.jpg") << QByteArray("jpeg") << QSize(20, 20);
        QTest::newRow("status") << QStringLiteral("status.bmp") << QByteArray("bmp") << QSize(12, 12);
    }

    void picturesHaveTheirFormsAndSizes()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        Pictures::windowIcon();
        QImageReader reader(Pictures::resourcePath(fileName));
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.size(), size);
        QVERIFY(!reader.read().isNull());
    }

    void statusPictureHas24BitsPerPixel()
    {
        const QByteArray bmp = pictureBytes(QStringLiteral("status.bmp"));
        QVERIFY(bmp.size() > 30);
        QCOMPARE(word(bmp, 28), quint16(24));
    }

    void windowIconHasFiveImages()
    {
        const QByteArray ico = pictureBytes(QStringLiteral("qorvin.ico"));
        QVERIFY(ico.size() > 6);
        QCOMPARE(word(ico, 4), quint16(5));
        const QList<QPair<int, int>> expected = {{32, 8}, {24, 8}, {16, 8}, {24, 32}, {16, 32}};
        for (int i = 0; i < 5; ++i) {
            const qsizetype entry = 6 + 16 * i;
            const int width = quint8(ico.at(entry));
            const quint32 offset = dword(ico, entry + 12);
            QVERIFY(offset + 16 <= quint32(ico.size()));
            const int bitsPerPixel = word(ico, qsizetype(offset) + 14); // the image's own header
            QCOMPARE((QPair<int, int>(width, bitsPerPixel)), expected.at(i));
        }
        const QList<QSize> sizes = Pictures::windowIcon().availableSizes();
        for (int side : {16, 24, 32})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }

    void handCursorPointsWithItsFingerTip()
    {
        const QCursor hand = Pictures::handCursor();
        QCOMPARE(hand.shape(), Qt::BitmapCursor);
        QCOMPARE(hand.hotSpot(), QPoint(5, 0));
        const QImage picture = hand.bitmap().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage mask = hand.mask().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(32, 32));
        QCOMPARE(mask.size(), QSize(32, 32));
        // Black and drawn at the hot spot, clear in the far corner, white inside the finger.
        QCOMPARE(picture.pixel(5, 0), qRgb(0, 0, 0));
        QCOMPARE(mask.pixel(5, 0), qRgb(0, 0, 0));
        QCOMPARE(mask.pixel(31, 31), qRgb(255, 255, 255));
        QCOMPARE(picture.pixel(5, 3), qRgb(255, 255, 255));
        QCOMPARE(mask.pixel(5, 3), qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
