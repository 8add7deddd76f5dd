// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tunit8.h"

#include "AnalyzerTexts.h"
#include "DisplayBox.h"
#include "FilterCoefficients.h"
#include "TuningDisplay.h"
#include "ui_Tunit8.h"

#include "platform/Dialogs.h"
#include "radio/devices/SoundSystem.h"
#include "settings/StationOptions.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <cstring>

namespace winorbis {

namespace {

const QString kDeviceOption = QStringLiteral("RecordingDevice");

} // namespace

Tunit8::Tunit8(Dialogs& dialogs, std::unique_ptr<AudioInput> input, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , ui_(std::make_unique<Ui::Tunit8>())
    , dialogs_(dialogs)
    , input_(input ? std::move(input) : radio::makeRecordingInput())
    , device_(*input_, dialogs) {
    ui_->setupUi(this);
    setFixedSize(size());
    ui_->Image1->setPixmap(QPixmap::fromImage(tuningdisplay::scale()));
    ui_->FilterDaten1->addItems(filterDaten1Texts());
    ui_->FilterDaten1->hide();
    connect(ui_->FlyingButton1, &TFlyingButton::OnClick, this, &Tunit8::FlyingButton1Click);
    connect(ui_->FlyingButton2, &TFlyingButton::OnClick, this, &Tunit8::FlyingButton2Click);
    connect(ui_->PaintBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        recordingDeviceMenu()->popup(ui_->PaintBox1->mapToGlobal(at));
    });
    FormCreate();
}

Tunit8::~Tunit8() {
    device_.Close();
}

DisplayBox& Tunit8::displayBox() const {
    return *ui_->PaintBox1;
}

void Tunit8::FormCreate() {
    QStringList texts;
    for (int row = 0; row < ui_->FilterDaten1->count(); ++row)
        texts << ui_->FilterDaten1->item(row)->text();
    QString error;
    std::optional<FilterCoefficients> coefficients = readFilterCoefficients(texts, &error);
    if (!coefficients) {
        // A damaged list leaves the filter empty: the display then shows nothing useful, but the
        // program goes on.
        dialogs_.error(error);
        coefficients = FilterCoefficients{};
    }
    analysis_.emplace(*coefficients);
    analysis_->setPeriodListener([this](const AnalyzerPeriod& period) { drawPeriod(period); });
    // The display's extent is the box's.
    ui_->PaintBox1->resizeCanvas(ui_->PaintBox1->size());
    PaintBox1Paint();
}

void Tunit8::setProgramFolder(const ProgramFolder& folder) {
    folder_ = folder;
    input_->choose(StationOptions::load(folder).value(kDeviceOption));
}

void Tunit8::showOrRaise() {
    if (!isVisible()) {
        show();
        return;
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void Tunit8::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window given back from the task bar is shown again by the window system: capture is
    // still running then.
    if (event->spontaneous())
        return;
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormShow();
}

void Tunit8::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

void Tunit8::FormShow() {
    device_.Open(this, 1, 1, 8000);
    device_.Prepare(captureBuffer_.data());
    device_.Start();
    showDeviceHint();
}

void Tunit8::showDeviceHint() {
    const QString chosen = input_->chosen();
    const QList<RecordingDevice> devices = input_->devices();
    QString name =
        devices.isEmpty() ? analyzertexts::noRecordingDevice : analyzertexts::defaultDevice;
    for (const RecordingDevice& device : devices) {
        if (!chosen.isEmpty() && device.id == chosen)
            name = device.name;
    }
    ui_->PaintBox1->setToolTip(analyzertexts::displayHint(name));
}

void Tunit8::FormCloseQuery() {
    // A buffer filled part way comes back and is analysed before the device closes.
    device_.Stop();
    device_.Close();
}

void Tunit8::PaintBox1Paint() {
    QImage& canvas = ui_->PaintBox1->canvas();
    canvas.fill(Qt::black);
    ui_->PaintBox1->present();
}

void Tunit8::WaveInData(int recorded) {
    const int count = std::clamp(recorded, 0, TSoundDevice::BufferLength);
    std::memcpy(workingCopy_.data(), captureBuffer_.data(), std::size_t(count));
    // Queued again at once, so that recording goes on while the samples are analysed; after the
    // window was closed this does nothing.
    device_.AddBuffer();
    analysis_->process(std::span<const std::uint8_t>(workingCopy_.data(), std::size_t(count)));
}

void Tunit8::drawPeriod(const AnalyzerPeriod& period) {
    lastPeriod_ = period;
    ++periodsShown_;
    QImage& canvas = ui_->PaintBox1->canvas();
    QPainter painter(&canvas);
    tuningdisplay::draw(painter, canvas.size(), period);
    painter.end();
    ui_->PaintBox1->present();
}

void Tunit8::FlyingButton1Click() {
    dialogs_.beep(2);
    dialogs_.message(analyzertexts::help, Dialogs::Kind::Information);
}

QMenu* Tunit8::recordingDeviceMenu() {
    delete deviceMenu_;
    deviceMenu_ = new QMenu(this);
    deviceMenu_->setObjectName(QStringLiteral("RecordingDeviceMenu"));
    auto* group = new QActionGroup(deviceMenu_);
    const QString chosen = input_->chosen();
    const QList<RecordingDevice> devices = input_->devices();
    const auto add = [&](const QString& text, const QString& id, bool checked) {
        QAction* action = deviceMenu_->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        action->setData(id);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id] { chooseRecordingDevice(id); });
    };
    const bool chosenPresent = std::any_of(
        devices.begin(), devices.end(), [&](const RecordingDevice& d) { return d.id == chosen; });
    add(analyzertexts::defaultDevice, QString(), chosen.isEmpty());
    if (devices.isEmpty()) {
        deviceMenu_->addAction(analyzertexts::noRecordingDevice)->setEnabled(false);
        return deviceMenu_;
    }
    deviceMenu_->addSeparator();
    for (const RecordingDevice& device : devices)
        add(device.name, device.id, device.id == chosen);
    // A device chosen earlier that is not plugged in stays chosen for when it is back.
    if (!chosen.isEmpty() && !chosenPresent)
        add(analyzertexts::absentDevice(chosen), chosen, true);
    return deviceMenu_;
}

void Tunit8::chooseRecordingDevice(const QString& id) {
    input_->choose(id);
    showDeviceHint();
    if (folder_) {
        const QString reason = StationOptions::store(*folder_, kDeviceOption, id);
        if (!reason.isEmpty())
            dialogs_.error(analyzertexts::choiceNotKept(reason));
    }
    // A shown window records from the new device at once, also when the old one failed.
    if (isVisible())
        FormShow();
}

} // namespace winorbis
