// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlotPanel.h"

#include "controls/TFlyingButton.h"
#include "platform/Colour.h"
#include "workspace/PictureTexts.h"
#include "workspace/SlotTable.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace winorbis {

namespace {

constexpr int kPanelWidth = 864;
constexpr int kPanelHeight = 182;
constexpr int kLabelHeight = 14;
const QRect kTrashPanel(790, 35, 41, 41);
const QSize kTrashImage(31, 34);
const QRect kCatalogButton(781, 123, 66, 24);

} // namespace

SlotThumbnail::SlotThumbnail(QWidget* parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFixedSize(kSlotWidth, kSlotHeight);
}

void SlotThumbnail::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void SlotThumbnail::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(contentsRect(), picture_);
}

TrashCan::TrashCan(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(kTrashImage);
    setToolTip(PictureTexts::kTrashHint);
}

void TrashCan::paintEvent(QPaintEvent*) {
    // A bin with a lid and three grooves, light grey on the blue panel.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor metal(214, 214, 214);
    const QColor dark(90, 90, 90);
    painter.setPen(QPen(dark, 1));
    painter.setBrush(metal);
    painter.drawRect(QRectF(12.5, 1.5, 6, 3)); // handle
    painter.drawRect(QRectF(2.5, 4.5, 26, 4)); // lid
    QPainterPath body;
    body.moveTo(5, 9);
    body.lineTo(26, 9);
    body.lineTo(24, 33);
    body.lineTo(7, 33);
    body.closeSubpath();
    painter.drawPath(body);
    for (const double x : {10.5, 15.5, 20.5})
        painter.drawLine(QPointF(x, 12), QPointF(x, 30));
}

SlotPanel::SlotPanel(QWidget* parent)
    : QFrame(parent) {
    setFixedSize(kPanelWidth, kPanelHeight);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    for (const Slot& s : slotTable()) {
        auto* label = new QLabel(s.label, this);
        label->setObjectName(QStringLiteral("SlotLabel%1").arg(s.number));
        label->setGeometry(s.position.x(), s.position.y() - kLabelHeight - 2, kSlotWidth + 20,
                           kLabelHeight);
        auto* thumbnail = new SlotThumbnail(this);
        thumbnail->setObjectName(s.image);
        thumbnail->move(s.position);
        thumbnails_.at(std::size_t(s.number - 1)) = thumbnail;
        // The slot's name travels with its picture; the label itself is never shown.
        auto* name = new QLabel(this);
        name->setObjectName(s.nameLabel);
        name->hide();
        nameLabels_.at(std::size_t(s.number - 1)) = name;
    }

    auto* trashPanel = new QFrame(this);
    trashPanel->setObjectName(QStringLiteral("TrashPanel"));
    trashPanel->setGeometry(kTrashPanel);
    trashPanel->setAutoFillBackground(true);
    QPalette blue = trashPanel->palette();
    blue.setColor(QPalette::Window, colours::clBlue.toQColor());
    trashPanel->setPalette(blue);
    trashCan_ = new TrashCan(trashPanel);
    trashCan_->setObjectName(QStringLiteral("Image2"));
    trashCan_->move((kTrashPanel.width() - kTrashImage.width()) / 2,
                    (kTrashPanel.height() - kTrashImage.height()) / 2);

    catalogButton_ = new TFlyingButton(this);
    catalogButton_->setObjectName(QStringLiteral("FlyingButton18"));
    catalogButton_->setGeometry(kCatalogButton);
    catalogButton_->setButtontype(TFlyingButton::btRahmen);
    catalogButton_->setFaceColor(colours::clLime);
    catalogButton_->setFont(QFont(QStringLiteral("System"), 8));
    catalogButton_->setText(QStringLiteral("Catalog"));
}

int SlotPanel::slotOf(const QObject* object) const {
    for (std::size_t i = 0; i < thumbnails_.size(); ++i)
        if (thumbnails_[i] == object)
            return int(i) + 1;
    return 0;
}

void SlotPanel::showSlotPicture(int n, const QImage& picture) {
    thumbnail(n)->setPicture(picture);
}

void SlotPanel::showSlotName(int n, const QString& name) {
    nameLabel(n)->setText(name);
}

void SlotPanel::showSlotHint(int n, const QString& hint) {
    thumbnail(n)->setToolTip(hint);
}

} // namespace winorbis
