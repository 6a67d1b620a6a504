// SPDX-License-Identifier: MIT
// A label whose text changes many times a second (a status text during a crawl) is drawn at most
// once per frame of its screen: a person sees no more, and every repaint of a control costs a
// repaint of the window around it.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

namespace Qorvin {

class FramePacedText : public QObject
{
    Q_OBJECT

public:
    explicit FramePacedText(QLabel* label); // owned by label

    // The latest text given, at once, whether or not the label shows it yet.
    QString text() const { return m_text; }
    // Keeps text and puts it on the label now when no frame has been drawn since the last change;
    // otherwise at the next frame, with whatever text is the latest by then.
    void setText(const QString& text);

private:
    void showLatest();
    int frameMs() const;

    QLabel* m_label;
    QString m_text;
    QTimer m_nextFrame;
    QElapsedTimer m_sinceShown;
};

} // namespace Qorvin
