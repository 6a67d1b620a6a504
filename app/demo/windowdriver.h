// SPDX-License-Identifier: MIT
// Works the real window as a person would: types into its boxes, presses Enter, clicks labels,
// and waits for the result page to be on view. The demo, the end-to-end tests and the crawl
// benchmark share it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace Qorvin {

class WebBrowser;
class frmMain;

struct FoundSong
{
    QString title;
    QString link;
};

class WindowDriver : public QObject
{
    Q_OBJECT

public:
    explicit WindowDriver(frmMain& window);

    QWidget* control(const QString& objectName) const; // nullptr when the window has none
    QLineEdit* keywordBox() const;
    QLineEdit* countBox() const;
    WebBrowser* browser() const;

    // Replaces the box's text by typing, as a person would after selecting it all.
    void typeInto(QLineEdit* box, const QString& text);
    void pressEnterInKeywordBox();
    void click(QWidget* widget);
    // Opens the topic menu with Image4 and clicks the LabelTitle whose Index property is index.
    bool clickTopic(int index);

    // Types the count and the keyword and presses Enter in the keyword box.
    void startKeywordSearch(const QString& keyword, const QString& count);

    // Waits until the browser has shown a local page (result.htm) since the last call to
    // startKeywordSearch / clickTopic / forgetShownResult; false on timeout.
    bool waitForResultShown(int timeoutMs);
    void forgetShownResult() { m_resultShown = false; }
    bool resultShown() const { return m_resultShown; }

    QString resultFilePath() const; // the local page on view
    QList<FoundSong> foundSongs() const;
    QString statusText() const; // panel 1 of StatusBar1, as Label8 shows it

signals:
    void resultShownNow();

private:
    frmMain& m_window;
    bool m_resultShown = false;
};

} // namespace Qorvin
