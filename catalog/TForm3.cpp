// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm3.h"

#include "ui_TForm3.h"

#include "CatalogDrags.h"
#include "CatalogTexts.h"

#include "platform/Colour.h"
#include "platform/Dialogs.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

#include <array>

namespace winorbis {

namespace {

constexpr std::uint32_t kBackground = 9559788; // red 236, green 222, blue 145
constexpr int kFirstTxImage = 13;
constexpr int kFirstGeneralImage = 18;
constexpr int kFirstRxLabel = 28;
constexpr int kFirstTxLabel = 40;
constexpr int kFirstGeneralLabel = 3;

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm3>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, TColor(kBackground).toQColor());
    setPalette(palette);
    setAutoFillBackground(true);
    // The three panels keep the desktop's face colour, on which their coloured titles stand out.
    for (QFrame* panel : {ui_->Panel1, ui_->Panel2, ui_->Panel3}) {
        QPalette face = panel->palette();
        face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
        panel->setPalette(face);
        panel->setAutoFillBackground(true);
    }
    connect(ui_->Button19, &QPushButton::clicked, this, &TForm3::Button19Click);
    connect(ui_->Button20, &QPushButton::clicked, this, &TForm3::Button20Click);
}

TForm3::~TForm3() {
    // The drags watch the child controls, which go after the controller: they go first.
    delete drags_;
    drags_ = nullptr;
}

void TForm3::attach(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                    Settings& settings, CatalogHost& host) {
    dialogs_ = &dialogs;
    CatalogView& view = *this;
    controller_ =
        std::make_unique<CatalogController>(folder, dialogs, pictures, settings, view, host);
    drags_ = new CatalogDrags(*controller_, this);
    for (int n = 1; n <= kRxPositions; ++n) {
        drags_->addPicture(picture(CatalogPosition::rx(n)), CatalogPosition::rx(n));
    }
    for (int n = 1; n <= kTxPositions; ++n) {
        drags_->addPicture(picture(CatalogPosition::tx(n)), CatalogPosition::tx(n));
        drags_->addNameLabel(nameLabel(CatalogPosition::tx(n)), CatalogPosition::tx(n));
    }
    for (int k = 0; k < kPositionsPerPage; ++k) {
        const CatalogPosition position = CatalogPosition::general(0, k);
        drags_->addPicture(picture(position), position);
        drags_->addNameLabel(nameLabel(position), position);
    }
    for (int page = 0; page < kPageCount; ++page) {
        QPushButton* button = pageButton(page);
        drags_->addPageButton(button, page);
        connect(button, &QPushButton::clicked, this,
                [this, page] { controller_->selectPage(page); });
    }
    drags_->setTrashCan(ui_->TrashCan);
    drags_->setTextField(ui_->Edit1);
    controller_->FormCreate();
}

void TForm3::Button20Click() {
    if (dialogs_ != nullptr)
        dialogs_->message(CatalogTexts::kHelpText, Dialogs::Kind::Information);
}

CatalogPicture* TForm3::picture(const CatalogPosition& position) const {
    int image = position.number;
    if (position.kind == CatalogPosition::Kind::Tx)
        image += kFirstTxImage - 1;
    else if (position.kind == CatalogPosition::Kind::General)
        image += kFirstGeneralImage;
    const std::array<CatalogPicture*, 42> images = {
        ui_->Image1,  ui_->Image2,  ui_->Image3,  ui_->Image4,  ui_->Image5,  ui_->Image6,
        ui_->Image7,  ui_->Image8,  ui_->Image9,  ui_->Image10, ui_->Image11, ui_->Image12,
        ui_->Image13, ui_->Image14, ui_->Image15, ui_->Image16, ui_->Image17, ui_->Image18,
        ui_->Image19, ui_->Image20, ui_->Image21, ui_->Image22, ui_->Image23, ui_->Image24,
        ui_->Image25, ui_->Image26, ui_->Image27, ui_->Image28, ui_->Image29, ui_->Image30,
        ui_->Image31, ui_->Image32, ui_->Image33, ui_->Image34, ui_->Image35, ui_->Image36,
        ui_->Image37, ui_->Image38, ui_->Image39, ui_->Image40, ui_->Image41, ui_->Image42};
    return image >= 1 && image <= int(images.size()) ? images[std::size_t(image - 1)] : nullptr;
}

QLabel* TForm3::nameLabel(const CatalogPosition& position) const {
    int label = position.number + kFirstGeneralLabel;
    if (position.kind == CatalogPosition::Kind::Rx)
        label = position.number + kFirstRxLabel - 1;
    else if (position.kind == CatalogPosition::Kind::Tx)
        label = position.number + kFirstTxLabel - 1;
    const std::array<QLabel*, 45> labels = {
        ui_->Label1,  ui_->Label2,  ui_->Label3,  ui_->Label4,  ui_->Label5,  ui_->Label6,
        ui_->Label7,  ui_->Label8,  ui_->Label9,  ui_->Label10, ui_->Label11, ui_->Label12,
        ui_->Label13, ui_->Label14, ui_->Label15, ui_->Label16, ui_->Label17, ui_->Label18,
        ui_->Label19, ui_->Label20, ui_->Label21, ui_->Label22, ui_->Label23, ui_->Label24,
        ui_->Label25, ui_->Label26, ui_->Label27, ui_->Label28, ui_->Label29, ui_->Label30,
        ui_->Label31, ui_->Label32, ui_->Label33, ui_->Label34, ui_->Label35, ui_->Label36,
        ui_->Label37, ui_->Label38, ui_->Label39, ui_->Label40, ui_->Label41, ui_->Label42,
        ui_->Label43, ui_->Label44, ui_->Label45};
    return label >= 1 && label <= int(labels.size()) ? labels[std::size_t(label - 1)] : nullptr;
}

QPushButton* TForm3::pageButton(int page) const {
    const std::array<QPushButton*, 18> pages = {
        ui_->Button1,  ui_->Button2,  ui_->Button3,  ui_->Button4,  ui_->Button5,  ui_->Button6,
        ui_->Button7,  ui_->Button8,  ui_->Button9,  ui_->Button10, ui_->Button11, ui_->Button12,
        ui_->Button13, ui_->Button14, ui_->Button15, ui_->Button16, ui_->Button17, ui_->Button18};
    return page >= 0 && page < int(pages.size()) ? pages[std::size_t(page)] : nullptr;
}

void TForm3::showPicture(const CatalogPosition& position, const QImage& shown) {
    if (position.kind == CatalogPosition::Kind::General && position.page != controller_->page())
        return;
    if (CatalogPicture* box = picture(position))
        box->setPicture(shown);
}

void TForm3::showName(const CatalogPosition& position, const QString& name) {
    if (position.kind == CatalogPosition::Kind::General && position.page != controller_->page())
        return;
    QLabel* label = nameLabel(position);
    if (!label)
        return;
    // A name that does not fit its label (a time stamp "ddmmyy_hhnnss" in the screen's font) is
    // drawn smaller rather than cut; the whole name is the label's hint.
    QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
    const int full = QFontInfo(font).pixelSize();
    for (int pixels = full; pixels > 7; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(name) <= label->width() - 2 &&
            metrics.height() <= label->height() + 1)
            break;
    }
    label->setFont(font);
    label->setText(name);
    label->setToolTip(name);
}

void TForm3::showPageButton(int page, const QString& caption, bool current) {
    QPushButton* button = pageButton(page);
    if (button == nullptr)
        return;
    button->setText(caption);
    QFont font = button->font();
    font.setItalic(!current);
    font.setBold(current);
    button->setFont(font);
}

} // namespace winorbis
