// SPDX-License-Identifier: MIT
// A burst of texts: read back at once, the label catches up with the latest within a frame,
// and the burst costs the label far fewer changes than texts.
#include "app/window/framepacedtext.h"

#include <QLabel>
#include <QTest>

using namespace Qorvin;

class TestFramePacedText : public QObject
{
    Q_OBJECT

private slots:
    void labelEndsOnTheLatestText_data();
    void labelEndsOnTheLatestText();
    void textAfterAQuietFrameShowsAtOnce();
};

void TestFramePacedText::labelEndsOnTheLatestText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("labelBehind"); // right after the burst, the label waits for a frame
    QStringList burst;
    for (int i = 1; i <= 50; ++i)
        burst.append(QStringLiteral("正在读取第%1首").arg(i));
    QTest::newRow("one text") << QStringList{QStringLiteral("请稍候...")} << false;
    QTest::newRow("a burst") << burst << true;
    QTest::newRow("a burst back to the first") << QStringList{burst.at(0), burst.at(1), burst.at(0)} << false;
    QTest::newRow("an empty text last") << QStringList{burst.at(0), burst.at(1), QString()} << true;
}

void TestFramePacedText::labelEndsOnTheLatestText()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, labelBehind);
    QLabel label(QStringLiteral("开始"));
    auto* paced = new FramePacedText(&label);
    for (const QString& text : std::as_const(texts)) {
        paced->setText(text);
        QCOMPARE(paced->text(), text);
    }
    // The first text of a burst goes on the label at once, the rest wait for the next frame.
    if (labelBehind)
        QCOMPARE(label.text(), texts.constFirst());
    else
        QCOMPARE(label.text(), texts.constLast());
    QTRY_COMPARE(label.text(), texts.constLast());
}

void TestFramePacedText::textAfterAQuietFrameShowsAtOnce()
{
    QLabel label;
    FramePacedText paced(&label);
    paced.setText(QStringLiteral("一"));
    paced.setText(QStringLiteral("二"));
    QTRY_COMPARE(label.text(), QStringLiteral("二"));
    QTest::qWait(100); // longer than any frame
    paced.setText(QStringLiteral("三"));
    QCOMPARE(label.text(), QStringLiteral("三"));
}

QTEST_MAIN(TestFramePacedText)
#include "tst_framepacedtext.moc"
