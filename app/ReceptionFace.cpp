// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceptionFace.h"

#include "ui_TForm1.h"

#include "converter/Modes.h"
#include "link/BytePort.h"
#include "link/LinkTexts.h"
#include "settings/Settings.h"
#include "stationcore/Station.h"

#include <QButtonGroup>
#include <QLabel>
#include <QStatusBar>

namespace winorbis {

ReceptionFace::ReceptionFace(Ui::TForm1& ui, Clock& clock, QString portKind,
                             ReceptionFaceHost& host)
    : ui_(ui)
    , portKind_(std::move(portKind))
    , host_(host)
    , airTime_(clock, *this) {}

void ReceptionFace::attach(QWidget* window, ReceptionController& reception, Settings& settings) {
    settings_ = &settings;
    repeaterItems_ = new QButtonGroup(window);
    const QList<QRadioButton*> items = {ui_.RadioGroup1Item0, ui_.RadioGroup1Item1,
                                        ui_.RadioGroup1Item2, ui_.RadioGroup1Item3,
                                        ui_.RadioGroup1Item4, ui_.RadioGroup1Item5};
    for (int i = 0; i < items.size(); ++i)
        repeaterItems_->addButton(items[i], i);
    QObject::connect(repeaterItems_, &QButtonGroup::idClicked, window,
                     [&reception](int item) { reception.selectRepeaterItem(item); });
    converterField_ = new QLabel(window);
    converterField_->setObjectName(QStringLiteral("ConverterField"));
    ui_.StatusBar1->addPermanentWidget(converterField_);
}

void ReceptionFace::follow(Station& station, QWidget* window) {
    Station* s = &station;
    QObject::connect(s, &Station::txModeItem, window,
                     [this](std::uint8_t status) { selectTxModeItem(status); });
    QObject::connect(s, &Station::loadButtonEnabled, window,
                     [this](bool on) { setLoadButtonEnabled(on); });
    QObject::connect(s, &Station::rxStopFace, window,
                     [this](const QString& text, std::optional<std::uint32_t> colour) {
                         setRxStopFace(text, colour);
                     });
    QObject::connect(s, &Station::repeaterItemShown, window,
                     [this](int item) { showRepeaterItem(item); });
    QObject::connect(s, &Station::repeaterSwitchShown, window,
                     [this](bool on) { showRepeaterSwitch(on); });
    QObject::connect(s, &Station::airTimeStarted, window,
                     [this](int ms) { receptionTimeStarted(ms); });
    QObject::connect(s, &Station::airTimeEnded, window, [this] { receptionTimeEnded(); });
    QObject::connect(s, &Station::transmissionStarted, window,
                     [this](int ms) { transmissionStarted(ms); });
    QObject::connect(s, &Station::presenceChanged, window,
                     [this](ConverterPresence presence) { showConverterPresence(presence); });
    QObject::connect(s, &Station::progress, window, [this](int position, int maximum) {
        showTransferProgress(position, maximum);
    });
    // A fetch, or the sound card's rows while its picture is received: the RX window fills as
    // the lines come.
    QObject::connect(s, &Station::fetchStarted, window, [this](bool) {
        ui_.SpeedButton15->setEnabled(true);
        ui_.PaintBox2->setVisible(true);
        ui_.FromOrbis->setEnabled(true);
    });
    QObject::connect(s, &Station::lineArrived, window, [this](int) {
        ui_.PaintBox2->setVisible(true);
        ui_.PaintBox2->update();
    });
    QObject::connect(s, &Station::fetchEnded, window, [this](bool, bool, const QString&) {
        ui_.PaintBox2->update();
        ui_.FromOrbis->setEnabled(true);
    });
}

void ReceptionFace::showTransferProgress(int position, int maximum) {
    airTime_.stop();
    showProgress(position, maximum);
}

void ReceptionFace::showProgress(int position, int maximum) {
    if (ui_.ProgressBar1->Max() != maximum)
        ui_.ProgressBar1->setMax(maximum);
    ui_.ProgressBar1->setPosition(position);
}

void ReceptionFace::saveAutoChanged() {
    const bool checked = ui_.CheckBox2->isChecked();
    if (settings_)
        settings_->saveAuto = checked;
    ui_.FromOrbis->setEnabled(!checked);
    QPalette palette = ui_.CheckBox2->palette();
    palette.setColor(QPalette::WindowText, (checked ? colours::clLime : colours::clRed).toQColor());
    ui_.CheckBox2->setPalette(palette);
}

void ReceptionFace::showConverterPresence(linktext::ConverterPresence presence) {
    converterField_->setText(
        converterFieldText(portKind_, host_.converterPort(), host_.converterKind(), presence));
}

QString ReceptionFace::converterFieldText(const QString& portKind, const BytePort* port,
                                          const QString& converterKind,
                                          linktext::ConverterPresence presence) {
    if (!port)
        return linktext::converterField(converterKind, QString(), presence);
    return linktext::converterField(portKind.isEmpty() ? port->kind() : portKind,
                                    portKind.isEmpty() ? port->name() : QString(), presence);
}

void ReceptionFace::showRepeaterSwitch(bool on) {
    ui_.Ein2->setChecked(on);
    ui_.Aus2->setChecked(!on);
    ui_.Label27->setVisible(on);
}

void ReceptionFace::showRepeaterItem(int item) {
    if (QAbstractButton* button = repeaterItems_->button(item))
        button->setChecked(true);
}

bool ReceptionFace::savesAutomatically() const {
    return ui_.CheckBox2->isChecked();
}

void ReceptionFace::selectTxModeItem(std::uint8_t status) {
    // The selector is hidden and only shows the converter's kind of answer; choosing an item
    // leaves LastStatus alone, so every reception waits its mode's time.
    const QList<QRadioButton*> items = {ui_.ColFast, ui_.ColStand,     ui_.BWFast,
                                        ui_.BWStand, ui_.RadioButton1, ui_.RadioButton2};
    items[txModeItemForStatus(status)]->setChecked(true);
}

void ReceptionFace::setLoadButtonEnabled(bool enabled) {
    ui_.SpeedButton4->setEnabled(enabled);
}

void ReceptionFace::setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) {
    ui_.RXSTOP->setText(text);
    if (colour)
        ui_.RXSTOP->setFaceColor(TColor(*colour));
}

} // namespace winorbis
