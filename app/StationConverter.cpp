// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationConverter.h"

#include "MainWindowTexts.h"
#include "TForm1.h"

#include <QLabel>
#include <QStatusBar>

namespace winorbis {

using namespace mainwindowtext;

StationConverter::StationConverter(QObject* parent)
    : QObject(parent) {}

void StationConverter::attach(TForm1& main) {
    main_ = &main;
    clockField_ = new QLabel(main.statusBar());
    clockField_->setObjectName(QStringLiteral("SoundCardClock"));
    clockField_->setToolTip(kSoundCardClockHint);
    clockField_->hide();
    main.statusBar()->addPermanentWidget(clockField_);
    connect(&main.station(), &Station::clockError, this, &StationConverter::showMeasuredClock);
}

void StationConverter::showMeasuredClock(double ppm) {
    lastClock_ = ppm;
    if (clockField_) {
        clockField_->setText(soundCardClock(ppm));
        clockField_->show();
    }
    emit clockMeasured(ppm);
}

QString StationConverter::apply(const ConverterChoice& choice) {
    if (!choice.needsRestart(running_))
        return {};
    if (!switchable_ || !main_)
        return kConverterAtNextStart;
    Station& station = main_->station();
    if (station.receptionRunning() || station.busy())
        return kConverterBusy;
    running_ = choice;
    return station.switchConverter(choice);
}

} // namespace winorbis
