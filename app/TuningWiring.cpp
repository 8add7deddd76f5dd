// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningWiring.h"

#include "TForm1.h"
#include "analyzer/Tunit8.h"
#include "controls/TFlyingButton.h"
#include "platform/Colour.h"

namespace winorbis {

namespace {

// "Tune": 57 x 23, silver, "System" at 13 pixels; first of the row of the window's general
// buttons below the RX window ("Setup" and "Info" follow it).
constexpr QRect kTuneGeometry(600, 372, 57, 23);
const QString kTuneText = QStringLiteral("Tune");
const QString kTuneHint = QStringLiteral("Spectrum Analyzer");

} // namespace

void connectTuning(TForm1& form, Tunit8& unit8) {
    unit8.setProgramFolder(form.programFolder());
    auto* button = new TFlyingButton(form.centralWidget());
    button->setObjectName(QStringLiteral("FlyingButton22"));
    button->setGeometry(kTuneGeometry);
    QFont font(QStringLiteral("System"));
    font.setPointSize(10);
    font.setBold(true);
    button->setFont(font);
    button->setFaceColor(colours::clSilver);
    button->setText(kTuneText);
    button->setToolTip(kTuneHint);
    button->show();
    // FlyingButton22Click
    QObject::connect(button, &TFlyingButton::OnClick, &unit8, &Tunit8::showOrRaise);
}

} // namespace winorbis
