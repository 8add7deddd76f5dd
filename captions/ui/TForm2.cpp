// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm2.h"

#include "ui_TForm2.h"

#include "captions/CaptionSources.h"
#include "controls/ButtonPicture.h"
#include "controls/TFlyingButton.h"
#include "platform/Dialogs.h"
#include "settings/Settings.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QListWidget>
#include <QRadioButton>

namespace winorbis {

namespace {

constexpr QSize kButtonSize(71, 25);
constexpr int kCaptionMargin = 16;

// The buttons' 17-pixel font, made smaller where the caption would not fit on the face (the
// screen's stand-in for the system font is wider than the original).
QFont fittingFont(const QString& text) {
    QFont font = TFlyingButton::systemFont(17, false);
    for (int pixels = 17; pixels > 9; --pixels) {
        font.setPixelSize(pixels);
        // Measured as the button draws it, with room for its raised edge on both sides.
        if (QFontMetrics(CaptionFont(font)).horizontalAdvance(text) <=
            kButtonSize.width() - kCaptionMargin)
            break;
    }
    return font;
}

TFlyingButton* button(QWidget* parent, const QString& name, const QString& text, QPoint at) {
    return TFlyingButton::make(parent, name, text, QRect(at, kButtonSize), colours::clSilver,
                               fittingFont(text));
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm2>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    faces_ = QFontDatabase::families(); // sorted
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setGeometry(8, 8, 200, 244);
    list_->addItems(faces_);
    bold_ = new QRadioButton(QStringLiteral("Bold"), this);
    bold_->setObjectName(QStringLiteral("RadioButton1"));
    bold_->move(220, 12);
    normal_ = new QRadioButton(QStringLiteral("Normal"), this);
    normal_->setObjectName(QStringLiteral("RadioButton2"));
    normal_->move(220, 36);
    shadowButton_ =
        button(this, QStringLiteral("FlyingButton1"), QStringLiteral("Shadow"), {220, 80});
    shadowPanel_ = new QFrame(this);
    shadowPanel_->setObjectName(QStringLiteral("Panel1"));
    shadowPanel_->setGeometry(296, 84, 24, 17);
    shadowPanel_->setFrameStyle(QFrame::Box);
    shadowPanel_->setAutoFillBackground(true);
    okButton_ = button(this, QStringLiteral("FlyingButton2"), QStringLiteral("OK"), {220, 220});

    connect(bold_, &QRadioButton::clicked, this, [this] {
        if (settings_)
            settings_->callsignFont.weight = captions::kBold;
    });
    connect(normal_, &QRadioButton::clicked, this, [this] {
        if (settings_)
            settings_->callsignFont.weight = captions::kNormal;
    });
    connect(shadowButton_, &TFlyingButton::OnClick, this, [this] {
        if (!settings_ || !dialogs_)
            return;
        if (const auto colour = dialogs_->chooseColour(settings_->callsignFont.shadowColour)) {
            settings_->callsignFont.shadowColour = *colour;
            QPalette palette = shadowPanel_->palette();
            palette.setColor(QPalette::Window, colour->toQColor());
            shadowPanel_->setPalette(palette);
        }
    });
    connect(okButton_, &TFlyingButton::OnClick, this, &TForm2::takeSelection);
    connect(list_, &QListWidget::itemClicked, this, &TForm2::takeSelection);
}

TForm2::~TForm2() = default;

void TForm2::choose(Settings& settings, Dialogs& dialogs) {
    prepare(settings, dialogs);
    exec();
    settings_ = nullptr;
    dialogs_ = nullptr;
}

void TForm2::prepare(Settings& settings, Dialogs& dialogs) {
    settings_ = &settings;
    dialogs_ = &dialogs;
    if (settings.fontIndex >= 0 && settings.fontIndex < list_->count())
        list_->setCurrentRow(settings.fontIndex);
    (settings.callsignFont.weight == captions::kBold ? bold_ : normal_)->setChecked(true);
    QPalette palette = shadowPanel_->palette();
    palette.setColor(QPalette::Window, settings.callsignFont.shadowColour.toQColor());
    shadowPanel_->setPalette(palette);
}

void TForm2::takeSelection() {
    const int index = list_->currentRow();
    if (settings_ && index >= 0 && index < faces_.size()) {
        settings_->fontIndex = index;
        settings_->callsignFont.faceName = faces_[index].left(kFaceNameMax);
    }
    accept();
}

} // namespace winorbis
