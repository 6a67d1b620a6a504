// SPDX-License-Identifier: MIT
// The state of the one running crawl: seven variables and the four working texts and lists.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <set>

namespace Qorvin {

// Booleans are 16-bit integers, True = -1, always tested against -1.
using LegacyBool = qint16;
inline constexpr LegacyBool LegacyTrue = -1;
inline constexpr LegacyBool LegacyFalse = 0;

// What the next page load means to the dispatcher.
inline constexpr qint16 ModeKeyword = 0;
inline constexpr qint16 ModeTopicList = 1;
inline constexpr qint16 ModeTopicStart = 2;
inline constexpr qint16 ModeTopicWalk = 3;
inline constexpr qint16 ModeStopped = 9;

// 16-bit counters never wrap: an addition past 32,767 (or below -32,768) fails.
std::optional<qint16> checkedAdd16(qint16 value, int addend);

// Lists hold at most 32,767 entries: their counts and indexes are 16-bit.
inline constexpr qsizetype MaxListCount = 32767;

// Text1: the page text that the scrapers consume from the front. Cutting moves an offset
// instead of copying the tail, so a long page is read in linear time; what a reader sees
// is always the unread tail, exactly as if the tail had been copied at every cut.
class WorkingText
{
public:
    WorkingText() = default;
    explicit WorkingText(QString text) : m_text(std::move(text)) {}
    // Copies only: a moved-from text would keep its generation with other contents.
    WorkingText(const WorkingText&) = default;
    WorkingText& operator=(const WorkingText&) = default;

    void set(QString text);
    QString text() const; // the whole current text (the unread tail)
    QStringView view() const { return QStringView(m_text).mid(m_offset); }
    qsizetype length() const { return m_text.size() - m_offset; }
    // Where the tail starts in the text last set; with generation() it lets a reader remember
    // where it found a marker and trust that answer until the text is set or rewritten.
    qsizetype offset() const { return m_offset; }
    // Unique across all texts and changed by set() and replaceAll(), never by keepLast().
    quint64 generation() const { return m_generation; }
    // Keeps the last n characters; n beyond the length keeps everything. n must be >= 0.
    void keepLast(qsizetype n);
    // Replaces every occurrence in the current text (the tail) and makes it the whole text.
    void replaceAll(QStringView from, QStringView to);

private:
    static quint64 nextGeneration();

    QString m_text;
    qsizetype m_offset = 0;
    quint64 m_generation = nextGeneration();
};

// List1: the found songs' titles, with a sorted index so that "does any stored title begin
// with this name" is one lookup instead of a scan.
class TitleList
{
public:
    bool append(const QString& title); // false (nothing added) when the list is full
    void clear();
    qsizetype count() const { return m_items.size(); }
    const QString& at(qsizetype i) const { return m_items.at(i); }
    const QStringList& items() const { return m_items; }
    bool anyStartsWith(const QString& name) const;

private:
    QStringList m_items;
    std::multiset<QString> m_sorted;
};

struct CrawlState
{
    // Empty exactly while no crawl runs; "_blank" during a topic crawl; the query prefix
    // ending in "&pn=" during a keyword search.
    QString QueryUrl;
    qint16 PageOffset = 0;
    qint16 SearchMode = ModeKeyword;
    qint16 TopicIndex = 0;
    LegacyBool SearchDone = LegacyFalse; // the window's load handler sets it True
    qint32 WantedCount = 0;
    qint32 FoundCount = 0;

    // Counts the starts. A handler that finds it changed after a yield belongs to an older crawl:
    // it returns without touching the lists, the counters, QueryUrl or the browser.
    quint64 StartSerial = 0;

    WorkingText Text1;
    TitleList List1;   // titles
    QStringList List2; // links, parallel to List1
    QStringList List3; // the topic crawl's queue of song names
};

} // namespace Qorvin
