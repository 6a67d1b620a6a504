// SPDX-License-Identifier: MIT
#include "app/window/framepacedtext.h"

#include <QLabel>
#include <QScreen>

#include <cmath>

namespace Qorvin {

FramePacedText::FramePacedText(QLabel* label) : QObject(label), m_label(label), m_text(label->text())
{
    m_nextFrame.setSingleShot(true);
    m_nextFrame.setTimerType(Qt::PreciseTimer);
    connect(&m_nextFrame, &QTimer::timeout, this, &FramePacedText::showLatest);
}

void FramePacedText::setText(const QString& text)
{
    m_text = text;
    if (m_nextFrame.isActive())
        return; // the frame to come shows the latest text
    const qint64 sinceShown = m_sinceShown.isValid() ? m_sinceShown.elapsed() : frameMs();
    if (sinceShown >= frameMs())
        showLatest();
    else
        m_nextFrame.start(static_cast<int>(frameMs() - sinceShown));
}

void FramePacedText::showLatest()
{
    m_label->setText(m_text);
    m_sinceShown.start();
}

int FramePacedText::frameMs() const
{
    const QScreen* screen = m_label->screen();
    const qreal refreshRate = screen && screen->refreshRate() >= 1 ? screen->refreshRate() : 60;
    return static_cast<int>(std::ceil(1000.0 / refreshRate));
}

} // namespace Qorvin
