// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardPanel.h"

#include "link/LinkTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace winorbis {

namespace {

constexpr int kFieldLeft = 76;
constexpr int kFieldWidth = 336;

QLabel* label(QWidget* parent, const QString& text, int y, QWidget* buddy) {
    auto* shown = new QLabel(text, parent);
    shown->move(12, y + 4);
    shown->setBuddy(buddy);
    return shown;
}

QComboBox* combo(QWidget* parent, const QString& name, const QString& hint, QRect at) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(at);
    box->setToolTip(hint);
    return box;
}

// A device list whose first item stands for the default device; a name the list lacks (a USB
// card unplugged now) can be typed or stays as it was chosen.
void showDevice(QComboBox* box, const QStringList& names, const QString& chosen) {
    box->clear();
    box->addItem(linktext::kDefaultDevice);
    box->addItems(names);
    box->setEditText(chosen.isEmpty() ? linktext::kDefaultDevice : chosen);
}

QString chosenDevice(const QComboBox* box) {
    const QString text = box->currentText().trimmed();
    return text == linktext::kDefaultDevice ? QString() : text;
}

} // namespace

SoundCardPanel::SoundCardPanel(QWidget* page)
    : QWidget(page) {
    setObjectName(QStringLiteral("SoundCardPanel"));
    setGeometry(0, 0, 424, 188);
    auto* box = new QGroupBox(linktext::kSoundCardChoice, this);
    box->setGeometry(0, 0, 424, 188);

    capture_ = combo(box, QStringLiteral("SoundCapture"), linktext::kCaptureHint,
                     {kFieldLeft, 18, kFieldWidth, 24});
    capture_->setEditable(true);
    label(box, linktext::kCaptureLabel, 18, capture_);
    playback_ = combo(box, QStringLiteral("SoundPlayback"), linktext::kPlaybackHint,
                      {kFieldLeft, 46, kFieldWidth, 24});
    playback_->setEditable(true);
    label(box, linktext::kPlaybackLabel, 46, playback_);

    pttMethod_ =
        combo(box, QStringLiteral("PttMethod"), linktext::kPttHint, {kFieldLeft, 74, 110, 24});
    for (const QString& method : linktext::kPttMethods)
        pttMethod_->addItem(method);
    label(box, linktext::kPttLabel, 74, pttMethod_);
    pttTarget_ = new QLineEdit(box);
    pttTarget_->setObjectName(QStringLiteral("PttTarget"));
    pttTarget_->setGeometry(kFieldLeft + 116, 74, kFieldWidth - 116, 24);
    connect(pttMethod_, &QComboBox::currentIndexChanged, this, &SoundCardPanel::pttMethodChanged);

    clockPpm_ = new QDoubleSpinBox(box);
    clockPpm_->setObjectName(QStringLiteral("ClockPpm"));
    clockPpm_->setGeometry(kFieldLeft, 102, 110, 24);
    clockPpm_->setRange(-ConverterChoice::kMaxClockPpm, ConverterChoice::kMaxClockPpm);
    clockPpm_->setDecimals(1);
    clockPpm_->setSuffix(linktext::kPpmSuffix);
    clockPpm_->setToolTip(linktext::kClockHint);
    label(box, linktext::kClockLabel, 102, clockPpm_);
    measured_ = new QLabel(box);
    measured_->setObjectName(QStringLiteral("MeasuredClock"));
    measured_->setGeometry(kFieldLeft + 116, 102, 130, 24);
    takeMeasured_ = new QPushButton(linktext::kTakeMeasured, box);
    takeMeasured_->setObjectName(QStringLiteral("TakeMeasuredClock"));
    takeMeasured_->setGeometry(kFieldLeft + kFieldWidth - 84, 102, 84, 24);
    takeMeasured_->setToolTip(linktext::kTakeMeasuredHint);
    connect(takeMeasured_, &QPushButton::clicked, this, [this] {
        if (!measuredPpm_)
            return;
        clockPpm_->setValue(ConverterChoice::correctedClockPpm(clockPpm_->value(), *measuredPpm_));
        // Taken once: a second click would count the same error twice.
        takeMeasured_->setEnabled(false);
    });

    camera_ =
        combo(box, QStringLiteral("Camera"), linktext::kCameraHint, {kFieldLeft, 130, 130, 24});
    label(box, linktext::kCameraLabel, 130, camera_);
    auto* pictureLabel = new QLabel(linktext::kPictureLabel, box);
    pictureLabel->move(kFieldLeft + 136, 134);
    picture_ = new QLineEdit(box);
    picture_->setObjectName(QStringLiteral("DigitizePicture"));
    picture_->setGeometry(kFieldLeft + 184, 130, kFieldWidth - 184 - 28, 24);
    picture_->setToolTip(linktext::kPictureHint);
    pictureLabel->setBuddy(picture_);
    auto* choose = new QToolButton(box);
    choose->setObjectName(QStringLiteral("ChooseDigitizePicture"));
    choose->setText(QStringLiteral("..."));
    choose->setToolTip(linktext::kChoosePicture);
    choose->setGeometry(kFieldLeft + kFieldWidth - 24, 130, 24, 24);
    connect(choose, &QToolButton::clicked, this, &SoundCardPanel::choosePictureClicked);

    fskId_ = new QCheckBox(linktext::kFskIdLabel, box);
    fskId_->setObjectName(QStringLiteral("FskId"));
    fskId_->setGeometry(kFieldLeft, 158, kFieldWidth, 24);
    fskId_->setToolTip(linktext::kFskIdHint);

    pttMethodChanged();
    showMeasuredClock(std::nullopt);
}

void SoundCardPanel::pttMethodChanged() {
    const int method = std::max(0, pttMethod_->currentIndex());
    const QString& hint = linktext::kPttTargets[std::size_t(method)];
    pttTarget_->setEnabled(!hint.isEmpty());
    pttTarget_->setPlaceholderText(hint);
    pttTarget_->setToolTip(hint);
}

void SoundCardPanel::showChoice(const ConverterChoice& choice, const Devices& devices) {
    showDevice(capture_, devices.capture, choice.capture);
    showDevice(playback_, devices.playback, choice.playback);
    pttMethod_->setCurrentIndex(int(choice.pttMethod));
    pttTarget_->setText(choice.pttTarget);
    clockPpm_->setValue(choice.clockPpm);
    camera_->clear();
    camera_->addItem(linktext::kNoCamera);
    camera_->addItems(devices.cameras);
    // A camera not plugged in now stays chosen.
    if (!choice.camera.isEmpty() && camera_->findText(choice.camera) < 0)
        camera_->addItem(choice.camera);
    camera_->setCurrentIndex(choice.camera.isEmpty() ? 0 : camera_->findText(choice.camera));
    picture_->setText(choice.digitizePicture);
    fskId_->setChecked(choice.fskId);
    takeMeasured_->setEnabled(measuredPpm_.has_value());
}

void SoundCardPanel::readInto(ConverterChoice& choice) const {
    choice.capture = chosenDevice(capture_);
    choice.playback = chosenDevice(playback_);
    choice.pttMethod = ConverterChoice::PttMethod(std::max(0, pttMethod_->currentIndex()));
    choice.pttTarget = pttTarget_->isEnabled() ? pttTarget_->text().trimmed() : QString();
    choice.clockPpm = clockPpm_->value();
    choice.camera = camera_->currentIndex() <= 0 ? QString() : camera_->currentText();
    choice.digitizePicture = picture_->text().trimmed();
    choice.fskId = fskId_->isChecked();
}

void SoundCardPanel::showMeasuredClock(std::optional<double> ppm) {
    measuredPpm_ = ppm;
    measured_->setText(linktext::measuredClock(ppm));
    takeMeasured_->setEnabled(ppm.has_value());
}

void SoundCardPanel::setDigitizePicture(const QString& path) {
    picture_->setText(path);
}

} // namespace winorbis
