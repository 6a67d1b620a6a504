// SPDX-License-Identifier: MIT
// Random pages built from the scrapers' markers and noise, and random things a pump can do,
// for comparing the scrapers with their literal reference.
#pragma once

#include "crawlstate/crawlstate.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace Qorvin::Test {

inline const QString RandomTopicCaption = QStringLiteral("新歌TOP100");

class RandomPages
{
public:
    explicit RandomPages(quint32 seed) : m_random(seed) {}

    int below(int n) { return static_cast<int>(m_random.bounded(n)); }
    bool chance(int percent) { return below(100) < percent; }

    QString songTitle()
    {
        static const QStringList names{QStringLiteral("Love"), QStringLiteral("Lovely"), QStringLiteral("Na"),
                                       QStringLiteral("Name"), QStringLiteral(" Name2"), QStringLiteral("歌"),
                                       QStringLiteral("歌曲"), QStringLiteral("𝄞乐"),    QStringLiteral("")};
        QString title = names.at(below(int(names.size())));
        switch (below(5)) {
        case 0:
            return title;
        case 1:
            return QStringLiteral("-") + title;
        default:
            return title + (chance(50) ? QStringLiteral(" - ") : QStringLiteral("-")) +
                   names.at(below(int(names.size()))) + (chance(20) ? QStringLiteral(" MP3") : QString());
        }
    }

    QString address()
    {
        static const QStringList ends{QStringLiteral(".mp3 "),  QStringLiteral(".MP3 "),
                                      QStringLiteral(".mp3\""), QStringLiteral(".wma "),
                                      QStringLiteral(".mp3"),   QStringLiteral(".Mp3 ")};
        QString link = chance(10) ? QStringLiteral("http://x/请参照/") : QStringLiteral("http://a.example/");
        link += QString::number(below(50)) + ends.at(below(int(ends.size())));
        return link;
    }

    QString resultRecord()
    {
        QString record = QStringLiteral("来源网址：");
        record += chance(90) ? QStringLiteral("  ") : noise(below(3));
        record += address();
        if (chance(90))
            record += QStringLiteral("<br><A href=x target=_blank>") + songTitle() +
                      (chance(95) ? QStringLiteral("</A>") : QString());
        return record + noise(below(4));
    }

    QString topicItem(int number)
    {
        QString item = QString::number(number) + QStringLiteral(". ");
        if (chance(90))
            item += QStringLiteral("<A href=s.html target=_blank>") + songTitle() +
                    (chance(95) ? QStringLiteral("</A>") : QString());
        return item + noise(below(3));
    }

    // Bits of markup and markers in random order.
    QString noise(int pieces)
    {
        static const QStringList bits{
            QStringLiteral("来源网址："), QStringLiteral("  "),      QStringLiteral("MP3"),
            QStringLiteral(".mp3"),       QStringLiteral("_blank>"), QStringLiteral("</A>"),
            QStringLiteral("-"),          QStringLiteral("请参照"),  QStringLiteral("帮助"),
            QStringLiteral("href="),      QStringLiteral("1."),      QStringLiteral("2."),
            QStringLiteral("12."),        QStringLiteral(" "),       QStringLiteral("<br>\n"),
            QStringLiteral("x"),          QStringLiteral("𝄞"),       RandomTopicCaption,
            QString(QChar(0xD800)),       QStringLiteral("名")};
        QString text;
        for (int i = 0; i < pieces; ++i)
            text += bits.at(below(int(bits.size())));
        return text;
    }

    QString resultPage()
    {
        QString page = noise(below(4));
        const int records = below(12);
        for (int i = 0; i < records; ++i)
            page += chance(85) ? resultRecord() : noise(1 + below(5));
        return page;
    }

    QString topicPage()
    {
        QString page = noise(below(3));
        if (chance(90))
            page += QStringLiteral("<A href=h>帮助</A> ");
        if (chance(90))
            page += RandomTopicCaption + QStringLiteral("</B>");
        const int items = below(15);
        for (int i = 1; i <= items; ++i)
            page += chance(90) ? topicItem(chance(90) ? i : below(20)) : noise(1 + below(4));
        return page;
    }

    QString anyPage() { return chance(50) ? resultPage() : topicPage(); }

    qint32 wantedCount() { return chance(10) ? below(5) - 3 : 1 + below(20); }

private:
    QRandomGenerator m_random;
};

// What one pump does to the crawl state, drawn from the scenario's seed and the pump's number
// so that two runs of one scenario see the same pumps.
inline void randomPumpAction(CrawlState& state, quint32 scenarioSeed, int pumpNumber)
{
    RandomPages random(scenarioSeed * 7919u + static_cast<quint32>(pumpNumber));
    const int roll = random.below(100);
    if (roll < 70)
        return;
    if (roll < 78) {
        state.SearchDone = LegacyTrue; // a stop
    } else if (roll < 84) {
        // a new keyword search or topic crawl takes over
        state.List1.clear();
        state.List2.clear();
        if (random.chance(50))
            state.List3.clear();
        state.FoundCount = 0;
        state.SearchDone = LegacyFalse;
        state.WantedCount = random.wantedCount();
        state.TopicIndex = static_cast<qint16>(random.below(5));
    } else if (roll < 92) {
        state.Text1.set(random.anyPage()); // a nested page load
    } else if (roll < 96) {
        state.WantedCount = random.wantedCount();
    } else {
        state.Text1.keepLast(random.below(static_cast<int>(state.Text1.length()) + 1));
    }
}

} // namespace Qorvin::Test
