// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm5.h"

#include "ui_TForm5.h"

#include "controls/StatusHints.h"
#include "controls/TFlyingButton.h"
#include "link/LinkTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>

namespace winorbis {

namespace {

// The converter's choice and its page above the beacons.
constexpr int kConverterPageTop = 38;
constexpr int kConverterPageHeight = 188;
// How far the rest of the window lies below where it lay before the converter choice.
constexpr int kBelowConverter = kConverterPageTop + kConverterPageHeight - 88;
// The web face's group below the beacons, above "OK".
constexpr int kWebPageTop = 314 + kBelowConverter;
constexpr int kWebPageHeight = 80;
constexpr int kBelowWeb = kWebPageHeight + 8;
constexpr int kWidth = 440;
constexpr int kHeight = 370 + kBelowConverter + kBelowWeb;

TFlyingButton* button(QWidget* parent, const QString& name, const QString& text, QRect at) {
    return TFlyingButton::make(parent, name, text, at, colours::clSilver,
                               TFlyingButton::systemFont(13, true));
}

QGroupBox* group(QWidget* parent, const QString& title, QRect at) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(at);
    return box;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& text, QPoint at) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->move(at);
    box->adjustSize();
    return box;
}

// Checking one box of a pair clears the other (a box set by code runs its handler only when it
// changes, as a click does).
void partners(QCheckBox* a, QCheckBox* b) {
    QObject::connect(a, &QCheckBox::toggled, b, [b](bool on) {
        if (on)
            b->setChecked(false);
    });
    QObject::connect(b, &QCheckBox::toggled, a, [a](bool on) {
        if (on)
            a->setChecked(false);
    });
}

BeaconMode modeOf(const QCheckBox* robot, const QCheckBox* martin) {
    return robot->isChecked()    ? BeaconMode::Robot36
           : martin->isChecked() ? BeaconMode::Martin1
                                 : BeaconMode::None;
}

} // namespace

TForm5::TForm5(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm5>()) {
    ui_->setupUi(this);
    setWindowTitle(QStringLiteral("Orbis 70 p + Beacon Setup"));
    resize(kWidth, kHeight);
    setFixedSize(size());

    // The converter: the box on a COM port, or the sound card.
    auto* kindLabel = new QLabel(linktext::kConverterLabel, this);
    kindLabel->move(12, 12);
    converterKind_ = new QComboBox(this);
    converterKind_->setObjectName(QStringLiteral("ConverterKind"));
    converterKind_->addItems({linktext::kSerialPortChoice, linktext::kSoundCardChoice});
    converterKind_->setGeometry(88, 8, 160, 24);
    converterKind_->setToolTip(linktext::kConverterHint);
    kindLabel->setBuddy(converterKind_);
    converterPages_ = new QStackedWidget(this);
    converterPages_->setObjectName(QStringLiteral("ConverterPages"));
    converterPages_->setGeometry(8, kConverterPageTop, 424, kConverterPageHeight);
    auto* serialPage = new QWidget(converterPages_);
    converterPages_->addWidget(serialPage);
    soundCardPage_ = new QWidget(converterPages_);
    soundCardPage_->setObjectName(QStringLiteral("SoundCardPage"));
    converterPages_->addWidget(soundCardPage_);
    connect(converterKind_, &QComboBox::activated, this, [this](int index) {
        converterPages_->setCurrentIndex(index);
        emit converterKindChosen(index == 1);
    });

    QGroupBox* com = group(serialPage, QStringLiteral("COM Port"), {0, 0, 424, 80});
    com->setToolTip(QStringLiteral("Select Interface ( Com Port )"));
    auto* comGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QStringLiteral("COM %1").arg(i + 1), com);
        radio->setObjectName(QStringLiteral("ComPort%1").arg(i + 1));
        radio->setToolTip(QStringLiteral("use COM %1").arg(i + 1));
        radio->move(12 + 100 * i, 22);
        comGroup->addButton(radio, i + 1);
        comPorts_[std::size_t(i)] = radio;
        connect(radio, &QRadioButton::clicked, this, [this, i] { emit portChosen(i + 1); });
    }
    device_ = new QComboBox(com);
    device_->setObjectName(QStringLiteral("PortDevice"));
    device_->setEditable(true);
    device_->setGeometry(12, 48, 400, 24);
    device_->setToolTip(QStringLiteral("The serial device of the chosen COM port, or a serial "
                                       "server: rfc2217://HOST:PORT or tcp://HOST:PORT"));
    connect(device_, &QComboBox::activated, this,
            [this] { emit deviceChosen(chosenPort(), chosenDevice()); });
    connect(device_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (device_->lineEdit()->isModified())
            emit deviceChosen(chosenPort(), chosenDevice());
    });

    auto* model = new QGroupBox(QStringLiteral("Model"), this);
    model->setObjectName(QStringLiteral("OrbisModel"));
    model->setToolTip(QStringLiteral("Select Model"));
    model->hide();
    for (int i = 0; i < 2; ++i) {
        auto* radio =
            new QRadioButton(i == 0 ? QStringLiteral("OR-100") : QStringLiteral("OR-150"), model);
        models_[std::size_t(i)] = radio;
        const OrbisModel chosen = i == 0 ? OrbisModel::OR100 : OrbisModel::OR150;
        connect(radio, &QRadioButton::clicked, this, [this, chosen] { emit modelChosen(chosen); });
    }

    QGroupBox* catalog =
        group(this, QStringLiteral("Beacon Setup Katalog"), {8, 94 + kBelowConverter, 424, 106});
    new QLabel(QStringLiteral("Intervall"), catalog);
    catalog->findChild<QLabel*>()->move(12, 26);
    catalogTimer_ = new QSpinBox(catalog);
    catalogTimer_->setObjectName(QStringLiteral("CatalogTimer"));
    catalogTimer_->setRange(0, 9995);
    catalogTimer_->setSingleStep(5);
    catalogTimer_->setGeometry(70, 22, 64, 24);
    catalogTimer_->setToolTip(linktext::kIntervalHint);
    auto* seconds = new QLabel(QStringLiteral("Sec."), catalog);
    seconds->move(140, 26);
    switchedOff_ = check(catalog, QStringLiteral("CheckBox1"),
                         QStringLiteral("Beacon function switched off."), {12, 54});
    switchedOff_->setToolTip(
        QStringLiteral("Interval time set to zero and Beacon function switched off"));
    catalogStart_ =
        button(catalog, QStringLiteral("CatalogTx"), QStringLiteral("Start"), {12, 76, 44, 23});
    TFlyingButton* catalogStop =
        button(catalog, QStringLiteral("FlyingButton6"), QStringLiteral("Stop"), {64, 76, 44, 23});
    auto* catalogModes = new QLabel(QStringLiteral("Mode"), catalog);
    catalogModes->move(260, 22);
    catalogRobot_ =
        check(catalog, QStringLiteral("CheckBox2"), QStringLiteral("Robot 36"), {260, 42});
    catalogRobot_->setChecked(true);
    catalogMartin_ =
        check(catalog, QStringLiteral("CheckBox3"), QStringLiteral("Martin 1"), {260, 64});
    partners(catalogRobot_, catalogMartin_);

    QGroupBox* repeater =
        group(this, QStringLiteral("Repeater"), {8, 206 + kBelowConverter, 120, 56});
    connect(
        button(repeater, QStringLiteral("FlyingButton3"), QStringLiteral("On"), {12, 24, 44, 23}),
        &TFlyingButton::OnClick, this, [this] { emit repeaterClicked(true); });
    connect(
        button(repeater, QStringLiteral("FlyingButton4"), QStringLiteral("Off"), {64, 24, 44, 23}),
        &TFlyingButton::OnClick, this, [this] { emit repeaterClicked(false); });

    QGroupBox* acq = group(this, QStringLiteral("Beacon Setup ACQ / TX"),
                           {136, 206 + kBelowConverter, 296, 100});
    connect(button(acq, QStringLiteral("FlyingButton2"), QStringLiteral("Start"), {12, 24, 44, 23}),
            &TFlyingButton::OnClick, this, &TForm5::acqStartClicked);
    connect(button(acq, QStringLiteral("FlyingButton5"), QStringLiteral("Stop"), {64, 24, 44, 23}),
            &TFlyingButton::OnClick, this, &TForm5::acqStopClicked);
    auto* period = new QLabel(QStringLiteral("Beacontime 10 min."), acq);
    period->move(12, 60);
    auto* acqModes = new QLabel(QStringLiteral("Mode"), acq);
    acqModes->move(160, 22);
    acqRobot_ = check(acq, QStringLiteral("CheckBox4"), QStringLiteral("Robot 36"), {160, 42});
    acqRobot_->setChecked(true);
    acqMartin_ = check(acq, QStringLiteral("CheckBox5"), QStringLiteral("Martin 1"), {160, 64});
    partners(acqRobot_, acqMartin_);
    tenMinutes_ = check(acq, QStringLiteral("CheckBox6"), QStringLiteral("Set 10 min."), {0, 0});
    tenMinutes_->hide();

    // The station's callsign, below the repeater.
    auto* callsignLabel = new QLabel(QStringLiteral("Callsign"), this);
    callsignLabel->move(12, 266 + kBelowConverter);
    callsign_ = new QLineEdit(this);
    callsign_->setObjectName(QStringLiteral("Callsign"));
    callsign_->setGeometry(8, 284 + kBelowConverter, 120, 22);
    callsign_->setMaxLength(16);
    callsign_->setToolTip(
        QStringLiteral("The station's callsign, drawn into callsign.bmp in the caption font"));
    callsignLabel->setBuddy(callsign_);
    connect(callsign_, &QLineEdit::editingFinished, this, [this] {
        if (!callsign_->isModified())
            return;
        callsign_->setModified(false);
        emit callsignChosen(callsign_->text().trimmed());
    });

    webPage_ = new QWidget(this);
    webPage_->setObjectName(QStringLiteral("WebPage"));
    webPage_->setGeometry(8, kWebPageTop, 424, kWebPageHeight);

    connect(button(this, QStringLiteral("FlyingButton1"), QStringLiteral("OK"),
                   {8, 314 + kBelowConverter + kBelowWeb, 65, 23}),
            &TFlyingButton::OnClick, this, &TForm5::OkClick);
    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    status_->setSizeGripEnabled(false);
    status_->setGeometry(0, kHeight - 22, kWidth, 22);

    // CatalogTimerChange: the interval, and the box cleared.
    connect(catalogTimer_, &QSpinBox::valueChanged, this, [this](int value) {
        emit intervalChanged(value);
        switchedOff_->setChecked(false);
    });
    connect(switchedOff_, &QCheckBox::toggled, this, &TForm5::CheckBox1Click);
    connect(catalogStart_, &TFlyingButton::OnClick, this, [this] {
        switchedOff_->setChecked(false);
        emit catalogStartClicked();
    });
    connect(catalogStop, &TFlyingButton::OnClick, this, [this] { switchedOff_->setChecked(true); });
    for (QCheckBox* box : {catalogRobot_, catalogMartin_})
        connect(box, &QCheckBox::toggled, this, [this] { emit catalogModeChanged(catalogMode()); });
    for (QCheckBox* box : {acqRobot_, acqMartin_})
        connect(box, &QCheckBox::toggled, this, [this] { emit acqModeChanged(acqMode()); });
    auto* hints = new StatusHints([this](const QString& text) { setStatus(text); }, this);
    hints->add(catalogTimer_, linktext::kIntervalHint);
}

TForm5::~TForm5() = default;

void TForm5::CheckBox1Click() {
    if (switchedOff_->isChecked()) {
        catalogTimer_->setValue(0);
        catalogStart_->setEnabled(false);
        emit catalogSwitchedOff();
    } else {
        catalogStart_->setEnabled(true);
    }
}

void TForm5::OkClick() {
    if (acceptCheck_) {
        if (const QString problem = acceptCheck_(); !problem.isEmpty()) {
            setStatus(problem);
            return;
        }
    }
    accept();
}

void TForm5::showConverterKind(bool soundCard) {
    converterKind_->setCurrentIndex(soundCard ? 1 : 0);
    converterPages_->setCurrentIndex(soundCard ? 1 : 0);
}

bool TForm5::soundCardChosen() const {
    return converterKind_->currentIndex() == 1;
}

void TForm5::showPort(int portNumber, OrbisModel model) {
    for (int i = 0; i < 4; ++i)
        comPorts_[std::size_t(i)]->setChecked(i + 1 == portNumber);
    // A model the settings file names by an unknown number checks neither button.
    if (model == OrbisModel::OR100)
        models_[0]->setChecked(true);
    else if (model == OrbisModel::OR150)
        models_[1]->setChecked(true);
}

void TForm5::showDevices(const QStringList& present, const QString& mapped) {
    device_->clear();
    device_->addItems(present);
    device_->setEditText(mapped);
    device_->lineEdit()->setModified(false);
}

QString TForm5::chosenDevice() const {
    return device_->currentText().trimmed();
}

int TForm5::chosenPort() const {
    for (int i = 0; i < 4; ++i)
        if (comPorts_[std::size_t(i)]->isChecked())
            return i + 1;
    return 0;
}

void TForm5::resetInterval() {
    const QSignalBlocker blocker(catalogTimer_);
    catalogTimer_->setValue(0);
}

void TForm5::setStatus(const QString& text) {
    // A text wider than the window is cut with an ellipsis and shown whole as the line's hint.
    statusText_ = text;
    const int room = status_->width() - 12;
    const QString shown = status_->fontMetrics().elidedText(text, Qt::ElideRight, room);
    status_->showMessage(shown);
    status_->setToolTip(shown == text ? QString() : text);
}

QString TForm5::status() const {
    return status_->currentMessage().isEmpty() ? QString() : statusText_;
}

void TForm5::showCallsign(const QString& callsign) {
    callsign_->setText(callsign);
    callsign_->setModified(false);
}

QString TForm5::callsign() const {
    return callsign_->text().trimmed();
}

BeaconMode TForm5::catalogMode() const {
    return modeOf(catalogRobot_, catalogMartin_);
}

BeaconMode TForm5::acqMode() const {
    return modeOf(acqRobot_, acqMartin_);
}

void TForm5::setTenMinutes(bool on) {
    tenMinutes_->setChecked(on);
}

} // namespace winorbis
