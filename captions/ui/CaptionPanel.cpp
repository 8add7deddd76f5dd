// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionPanel.h"

#include "captions/CaptionTexts.h"
#include "controls/TFlyingButton.h"
#include "platform/Colour.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace winorbis {

namespace {

QFrame* bluePanel(QWidget& parent, const QString& name, const QRect& geometry) {
    auto* panel = new QFrame(&parent);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colours::clBlue.toQColor());
    panel->setPalette(palette);
    return panel;
}

void yellowText(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colours::clYellow.toQColor());
    widget->setPalette(palette);
}

QLabel* label(QWidget& parent, const QString& text, QPoint at, bool yellow) {
    auto* l = new QLabel(text, &parent);
    l->move(at);
    l->adjustSize();
    if (yellow)
        yellowText(l);
    return l;
}

QSpinBox* spinEdit(QWidget& parent, const QString& name, QPoint at, int min, int max) {
    auto* spin = new QSpinBox(&parent);
    spin->setObjectName(name);
    spin->setGeometry(QRect(at, QSize(44, 24)));
    spin->setRange(min, max);
    return spin;
}

} // namespace

CaptionPanel::CaptionPanel(QWidget& mainArea, QWidget& picturePanel) {
    using namespace captiontext;
    QFrame* fontPanel = bluePanel(mainArea, QStringLiteral("FontPanel"), QRect(26, 412, 291, 65));
    italic = new QCheckBox(QStringLiteral("Italic"), fontPanel);
    italic->setObjectName(QStringLiteral("Slant"));
    italic->move(8, 8);
    yellowText(italic);
    shadow = new QCheckBox(QStringLiteral("Shadow"), fontPanel);
    shadow->setObjectName(QStringLiteral("CheckBox1"));
    shadow->move(8, 39);
    yellowText(shadow);
    fontSize = spinEdit(*fontPanel, QStringLiteral("SpinEdit1"), {87, 5}, 20, 60);
    fontSize->setToolTip(kFontSizeHint);
    turn = spinEdit(*fontPanel, QStringLiteral("SpinEdit2"), {87, 35}, 0, 90);
    turn->setToolTip(kTurnHint);
    label(*fontPanel, QStringLiteral("Font Size"), {136, 9}, true);
    label(*fontPanel, QStringLiteral("Text turn"), {136, 39}, true);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    arial.setBold(true);
    font = TFlyingButton::make(fontPanel, QStringLiteral("FlyingButton19"), QStringLiteral("Font"),
                               QRect(209, 7, 66, 23), colours::clSilver, arial);
    font->setToolTip(kFontHint);
    colour =
        TFlyingButton::make(fontPanel, QStringLiteral("FlyingButton20"), QStringLiteral("Color"),
                            QRect(209, 35, 66, 22), colours::clSilver, arial);
    colour->setToolTip(kColorHint);

    example = new QLabel(&mainArea);
    example->setObjectName(QStringLiteral("Image1"));
    example->setGeometry(325, 417, 65, 56);
    example->setToolTip(kFontExampleHint);

    QFrame* textPanel = bluePanel(mainArea, QStringLiteral("TextPanel"), QRect(398, 412, 594, 64));
    callsign = new QPushButton(textPanel);
    callsign->setObjectName(QStringLiteral("MyCall"));
    callsign->setGeometry(8, 8, 145, 20);
    QFont bold = callsign->font();
    bold.setBold(true);
    callsign->setFont(bold);
    typedText = new QLineEdit(textPanel);
    typedText->setObjectName(QStringLiteral("Edit2"));
    typedText->setGeometry(8, 32, 145, 23);
    typedText->setMaxLength(16);
    typedText->setDragEnabled(false);
    for (int i = 0; i < 8; ++i) {
        auto* button = new QPushButton(textPanel);
        button->setObjectName(QStringLiteral("FORM%1").arg(i + 1));
        button->setGeometry(160 + 80 * (i / 2), i % 2 == 0 ? 8 : 32, 80, 20);
        button->setAcceptDrops(true);
        standardTexts[std::size_t(i)] = button;
    }
    const QFont system = TFlyingButton::systemFont(13, true);
    library = TFlyingButton::make(textPanel, QStringLiteral("FlyingButton21"),
                                  QStringLiteral("Standard Text"), QRect(485, 19, 101, 24),
                                  colours::clLime, system);

    const QFont small = TFlyingButton::systemFont(11, false);
    callsignPicture = TFlyingButton::make(&picturePanel, QStringLiteral("FlyingButton17"),
                                          QStringLiteral("Callsign"), QRect(336, 297, 73, 23),
                                          colours::clYellow, small);
    hiddenCallsign = new QPushButton(QStringLiteral("Rufzeichen"), &picturePanel);
    hiddenCallsign->setObjectName(QStringLiteral("SpeedButton9"));
    hiddenCallsign->hide();
    label(picturePanel, QStringLiteral("Rapport"), {106, 314}, false);
    report = new QLineEdit(&picturePanel);
    report->setObjectName(QStringLiteral("Edit3"));
    report->setGeometry(106, 330, 60, 21);
    report->setMaxLength(8);
    report->setToolTip(kReportHint);
    label(picturePanel, QStringLiteral("Contest Number"), {243, 316}, false);
    contest = new QPushButton(&picturePanel);
    contest->setObjectName(QStringLiteral("Button3"));
    contest->setGeometry(243, 332, 41, 19);
    contest->setAcceptDrops(true);
}

} // namespace winorbis
