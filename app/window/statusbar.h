// SPDX-License-Identifier: MIT
#pragma once

#include <QStatusBar>

namespace Qorvin {

class FramePacedText;

// StatusBar1: one panel, a small picture at its left end and the status text beside it. The text
// is drawn at most once per frame; panelText() returns the latest at once.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    StatusBar(const QPixmap& picture, QWidget* parent);

    QString panelText() const;
    void setPanelText(const QString& text);
    QString panelToolTip() const;
    void setPanelToolTip(const QString& text);

private:
    QWidget* m_panel;
    FramePacedText* m_text;
};

} // namespace Qorvin
