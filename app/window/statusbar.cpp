// SPDX-License-Identifier: MIT
#include "app/window/statusbar.h"

#include "app/window/framepacedtext.h"

#include <QHBoxLayout>
#include <QLabel>

namespace Qorvin {

StatusBar::StatusBar(const QPixmap& picture, QWidget* parent) : QStatusBar(parent), m_panel(new QWidget(this))
{
    auto* textLabel = new QLabel(m_panel);
    m_text = new FramePacedText(textLabel);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    auto* pictureLabel = new QLabel(m_panel);
    pictureLabel->setPixmap(picture);
    pictureLabel->setFixedSize(picture.size());
    textLabel->setTextFormat(Qt::PlainText);

    auto* layout = new QHBoxLayout(m_panel);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    layout->addWidget(pictureLabel);
    layout->addWidget(textLabel, 1);
    addWidget(m_panel, 1);
}

QString StatusBar::panelText() const
{
    return m_text->text();
}

void StatusBar::setPanelText(const QString& text)
{
    m_text->setText(text);
}

QString StatusBar::panelToolTip() const
{
    return m_panel->toolTip();
}

void StatusBar::setPanelToolTip(const QString& text)
{
    m_panel->setToolTip(text);
}

} // namespace Qorvin
