// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "workspace/SlotController.h"

#include <QFrame>
#include <QImage>

#include <array>

class QLabel;

namespace winorbis {

class TFlyingButton;

// One mini slot's thumbnail: the picture stretched into 60 x 46 inside a bevel of its own size;
// empty while it has no picture.
class SlotThumbnail : public QFrame {
    Q_OBJECT
public:
    explicit SlotThumbnail(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// The trash can: a bin drawn on a small blue panel of its own.
class TrashCan : public QWidget {
    Q_OBJECT
public:
    explicit TrashCan(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The thumbnail panel below the picture windows (864 x 182): the sixteen mini slots with their
// visible labels and hidden name labels at the places of the slot table, the trash can `Image2`
// and the "Catalog" button `FlyingButton18`.
class SlotPanel : public QFrame, public SlotView {
    Q_OBJECT
public:
    explicit SlotPanel(QWidget* parent = nullptr);

    SlotThumbnail* thumbnail(int n) const { return thumbnails_.at(std::size_t(n - 1)); }
    QLabel* nameLabel(int n) const { return nameLabels_.at(std::size_t(n - 1)); }
    // The slot a thumbnail belongs to, 0 for any other object.
    int slotOf(const QObject* object) const;
    TrashCan* trashCan() const { return trashCan_; }
    TFlyingButton* catalogButton() const { return catalogButton_; }

    void showSlotPicture(int n, const QImage& picture) override;
    void showSlotName(int n, const QString& name) override;
    void showSlotHint(int n, const QString& hint) override;

private:
    std::array<SlotThumbnail*, 16> thumbnails_{};
    std::array<QLabel*, 16> nameLabels_{};
    TrashCan* trashCan_ = nullptr;
    TFlyingButton* catalogButton_ = nullptr;
};

} // namespace winorbis
