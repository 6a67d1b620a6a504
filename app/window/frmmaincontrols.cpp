// SPDX-License-Identifier: MIT
// The window's controls at design size: names, nesting, places in twips, texts, colours,
// fonts, pictures, stacking and tab order.
#include "app/window/frmmain.h"

#include "app/browser/webbrowser.h"
#include "app/window/clickablelabel.h"
#include "app/window/clickablepanel.h"
#include "app/window/designtexts.h"
#include "app/window/fonts.h"
#include "app/window/framepacedtext.h"
#include "app/window/pictures.h"
#include "app/window/statusbar.h"
#include "app/window/twips.h"
#include "search/topictable.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <algorithm>

namespace Qorvin {

namespace {

// Gives a control its name, its place in its container (twips) and its tab index.
void design(QWidget* control, const QString& name, QRect twips, int tabIndex)
{
    control->setObjectName(name);
    control->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    if (tabIndex >= 0)
        control->setProperty("TabIndex", tabIndex);
}

constexpr int NoTabIndex = -1;

void setTextColour(QWidget* control, QColor colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

void setBackground(QWidget* control, QColor colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

// Every label draws its text as plain text: status texts carry song titles taken from web
// pages, and those must never be read as markup.
template <typename Label> Label* makeLabel(QWidget* parent, const QString& caption)
{
    auto* label = new Label(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(caption);
    return label;
}

QLabel* makePicture(QWidget* parent, const QPixmap& picture, bool stretched)
{
    auto* image = new QLabel(parent);
    image->setPixmap(picture);
    image->setScaledContents(stretched);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

QColor rgb(QRgb value)
{
    return QColor::fromRgb(value);
}

struct TopicLabelPlace
{
    int index;
    int left;
    int top;
    int width;
    int tabIndex;
};

// Two columns of six, rows 480 apart; there is no entry 9.
constexpr TopicLabelPlace TopicLabelPlaces[] = {
    {0, 240, 120, 1455, 19},    {1, 240, 600, 1455, 20},    {2, 240, 1080, 1335, 21},
    {3, 240, 1560, 1215, 22},   {4, 240, 2040, 1215, 23},   {5, 240, 2520, 1215, 24},
    {6, 1800, 120, 1215, 25},   {7, 1800, 600, 1215, 26},   {8, 1800, 1080, 1215, 27},
    {10, 1800, 1560, 1215, 28}, {11, 1800, 2040, 1215, 29}, {12, 1800, 2520, 1455, 30},
};
constexpr int TopicLabelHeight = 255;

} // namespace

void frmMain::createControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(DesignText::windowCaption());
    setWindowIcon(Pictures::windowIcon());
    installFontSubstitutions();
    setFont(defaultWindowFont());
    resize(twipsToPixels(11040), twipsToPixels(9060));

    createBanner();
    createSearchPanel();
    createKeywordPanel();
    createTopicMenu();
    createWorkingControls();
    stackControls();
    orderTabs();
}

void frmMain::createBanner()
{
    const QCursor hand = Pictures::handCursor();

    m_Image3 = makePicture(this, Pictures::banner(), true);
    design(m_Image3, QStringLiteral("Image3"), {0, 0, 14985, 840}, NoTabIndex);

    m_Label5 = makeLabel<ClickableLabel>(this, DesignText::bannerNotice());
    design(m_Label5, QStringLiteral("Label5"), {360, 360, 7935, 255}, 1);
    setTextColour(m_Label5, rgb(0xFFFFFF));
    m_Label5->setFont(songFont(9, true));
    m_Label5->setCursor(hand);

    m_Label9 = makeLabel<ClickableLabel>(this, DesignText::forumLinkCaption());
    design(m_Label9, QStringLiteral("Label9"), {11400, 360, 1455, 255}, 32);
    setTextColour(m_Label9, rgb(0xFFC080));
    m_Label9->setCursor(hand);

    m_Label7 = makeLabel<ClickableLabel>(this, DesignText::returnCaption());
    design(m_Label7, QStringLiteral("Label7"), {13200, 360, 1215, 255}, 7);
    setTextColour(m_Label7, rgb(0xFFC080));
    m_Label7->setCursor(hand);
}

void frmMain::createSearchPanel()
{
    // The panels take the colour of window contents (white on most desktops), not the grey of
    // dialogs and buttons.
    const QColor windowColour = palette().color(QPalette::Base);

    m_Picture2 = new QWidget(this);
    design(m_Picture2, QStringLiteral("Picture2"), {0, 840, 9255, 5535}, 8);
    setBackground(m_Picture2, windowColour);

    m_Label8 = makeLabel<QLabel>(m_Picture2, QString());
    design(m_Label8, QStringLiteral("Label8"), {240, 480, 10455, 735}, 31);
    setTextColour(m_Label8, rgb(0xFF8000));
    m_Label8->setWordWrap(true);
    m_Label8Text = new FramePacedText(m_Label8);

    m_Picture1 = new QWidget(m_Picture2);
    design(m_Picture1, QStringLiteral("Picture1"), {1680, 1200, 6855, 3855}, 9);
    setBackground(m_Picture1, windowColour);
}

void frmMain::createKeywordPanel()
{
    const QCursor hand = Pictures::handCursor();

    m_Image1 = makePicture(m_Picture1, Pictures::panelBackground(), false);
    design(m_Image1, QStringLiteral("Image1"), {0, -120, 6900, 3300}, NoTabIndex);

    m_Label1 = makeLabel<QLabel>(m_Picture1, DesignText::titleCaption());
    design(m_Label1, QStringLiteral("Label1"), {2040, 960, 2895, 615}, 14);
    setTextColour(m_Label1, rgb(0xFFFFFF));
    m_Label1->setFont(kaiFont(21.75, true));

    m_Label2 = makeLabel<QLabel>(m_Picture1, DesignText::inputHintCaption());
    design(m_Label2, QStringLiteral("Label2"), {840, 2160, 3855, 255}, 13);
    setTextColour(m_Label2, rgb(0xFFFFFF));

    // The keyword box has no frame of its own: it lies on the white strip.
    m_Picture3 = new QWidget(m_Picture1);
    design(m_Picture3, QStringLiteral("Picture3"), {840, 2400, 3615, 375}, 16);
    setBackground(m_Picture3, rgb(0xFFFFFF));

    m_TextSearch1 = new QLineEdit(m_Picture1);
    design(m_TextSearch1, QStringLiteral("TextSearch1"), {840, 2520, 3615, 300}, 0);
    m_TextSearch1->setFrame(false);
    m_TextSearch1->setFont(songFont(12));

    m_Image2 = makePicture(m_Picture1, Pictures::buttonFace(), true);
    design(m_Image2, QStringLiteral("Image2"), {4680, 2400, 1065, 420}, NoTabIndex);

    m_Label6 = makeLabel<ClickableLabel>(m_Picture1, startCaption());
    design(m_Label6, QStringLiteral("Label6"), {4800, 2520, 975, 255}, 15);
    setTextColour(m_Label6, rgb(0xFFFFFF));
    m_Label6->setFont(songFont(10.5));
    m_Label6->setCursor(hand);

    m_Image4 = new ClickableLabel(m_Picture1);
    m_Image4->setPixmap(Pictures::menuButton());
    m_Image4->setScaledContents(true);
    design(m_Image4, QStringLiteral("Image4"), {5760, 2400, 315, 420}, NoTabIndex);
    m_Image4->setToolTip(DesignText::topicMenuToolTip());
    m_Image4->setCursor(hand);

    m_Label3 = makeLabel<ClickableLabel>(m_Picture1, DesignText::creditCaption());
    design(m_Label3, QStringLiteral("Label3"), {240, 3480, 3015, 255}, 12);
    setTextColour(m_Label3, rgb(0x808080));
    m_Label3->setCursor(hand);

    m_Label4 = makeLabel<QLabel>(m_Picture1, DesignText::countCaption());
    design(m_Label4, QStringLiteral("Label4"), {4320, 3480, 1695, 255}, 11);

    m_TextCount1 = new QLineEdit(DesignText::defaultCountText(), m_Picture1);
    design(m_TextCount1, QStringLiteral("TextCount1"), {6000, 3480, 735, 270}, 10);
}

void frmMain::createTopicMenu()
{
    const QCursor hand = Pictures::handCursor();

    m_PictureMenu = new ClickablePanel(m_Picture2);
    design(m_PictureMenu, QStringLiteral("PictureMenu"), {1680, 1320, 3135, 3015}, 18);
    m_PictureMenu->setFrameShape(QFrame::Box);
    m_PictureMenu->setLineWidth(1);
    setBackground(m_PictureMenu, rgb(0xFFFFFF));
    setTextColour(m_PictureMenu, rgb(0xA0A0A0));
    m_PictureMenu->hide();

    for (const TopicLabelPlace& place : TopicLabelPlaces) {
        const std::optional<TopicEntry> topic = topicEntry(place.index);
        auto* label = makeLabel<ClickableLabel>(m_PictureMenu, topic ? topic->caption : QString());
        design(label, QStringLiteral("LabelTitle"), {place.left, place.top, place.width, TopicLabelHeight},
               place.tabIndex);
        label->setProperty("Index", place.index);
        setTextColour(label, rgb(0x0000FF));
        label->setFont(songFont(12, false, true));
        label->setCursor(hand);
        m_LabelTitle.append(label);
    }
}

void frmMain::createWorkingControls()
{
    m_WebBrowser1 = new WebBrowser(this);
    design(m_WebBrowser1, QStringLiteral("WebBrowser1"), {0, 840, 3975, 1575}, 3);

    m_StatusBar1 = new StatusBar(Pictures::statusPicture(), this);
    design(m_StatusBar1, QStringLiteral("StatusBar1"), {0, 8685, 11040, 375}, 2);
    m_StatusBar1->setFixedHeight(twipsToPixels(375));
    m_StatusBar1->setPanelText(DesignText::statusBarWelcome());
    m_StatusBar1->setPanelToolTip(DesignText::statusBarWelcome());

    // The hidden working controls keep their design-time places; the crawl keeps its data in its own state.
    m_Text1 = new QPlainTextEdit(this);
    design(m_Text1, QStringLiteral("Text1"), {120, 6720, 10215, 1575}, 6);
    m_Text1->setPlainText(DesignText::workingTextDesignText());
    m_Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_Text1->hide();

    m_List1 = new QListWidget(this);
    design(m_List1, QStringLiteral("List1"), {1920, 3120, 1935, 4020}, 5);
    m_List2 = new QListWidget(this);
    design(m_List2, QStringLiteral("List2"), {2640, 3600, 2535, 3840}, 4);
    m_List3 = new QListWidget(this);
    design(m_List3, QStringLiteral("List3"), {240, 5280, 1455, 1860}, 17);
    for (QListWidget* list : {m_List1, m_List2, m_List3})
        list->hide();
}

void frmMain::stackControls()
{
    // Each container's children from the front to the back.
    const auto stack = [](std::initializer_list<QWidget*> frontToBack) {
        for (QWidget* control : frontToBack)
            control->lower();
    };
    stack({m_List3, m_Picture2, m_WebBrowser1, m_StatusBar1, m_List2, m_List1, m_Text1, m_Label9, m_Label7,
           m_Label5, m_Image3});
    stack({m_PictureMenu, m_Picture1, m_Label8});
    stack({m_TextSearch1, m_Picture3, m_TextCount1, m_Image4, m_Label6, m_Label1, m_Image2, m_Label2,
           m_Label3, m_Label4, m_Image1});
}

void frmMain::orderTabs()
{
    // Only the boxes take the focus by Tab; labels and pictures keep their indexes for the record.
    QList<QWidget*> controls;
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->property("TabIndex").isValid() && (control->focusPolicy() & Qt::TabFocus))
            controls.append(control);
    }
    std::stable_sort(controls.begin(), controls.end(), [](const QWidget* a, const QWidget* b) {
        return a->property("TabIndex").toInt() < b->property("TabIndex").toInt();
    });
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
}

} // namespace Qorvin
