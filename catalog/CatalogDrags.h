// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CatalogController.h"

#include "workspace/ui/SlotPanel.h"

#include <QHash>
#include <QObject>
#include <QPoint>

#include <optional>

class QLineEdit;
class QMimeData;

namespace winorbis {

// A picture box of the catalog: the picture stretched into the box inside a one-pixel bevel, the
// box as large as the window's layout makes it.
class CatalogPicture : public SlotThumbnail {
    Q_OBJECT
public:
    explicit CatalogPicture(QWidget* parent = nullptr);
};

// The mouse and drag events of the catalog window's controls, turned into the calls of
// CatalogController: presses arm delayed drags that start at the system's drag threshold, a press
// and release without a drag over a picture is a click, and each drop target accepts the sources
// that the controller takes, so the refusal cursor shows where a drop would do nothing.
class CatalogDrags : public QObject {
    Q_OBJECT
public:
    explicit CatalogDrags(CatalogController& controller, QObject* parent = nullptr);

    // The controls and what they stand for. General positions follow the page on view.
    void addPicture(CatalogPicture* picture, const CatalogPosition& position);
    void addNameLabel(QWidget* label, const CatalogPosition& position);
    void addPageButton(QWidget* button, int page);
    void setTrashCan(QWidget* trashCan);
    void setTextField(QLineEdit* field);

    // The mime data of a drag from a catalog picture or the text field, and what a target sees.
    static QMimeData* mimeFor(CatalogSource source, const QString& text = {});
    static CatalogSource sourceOf(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Target {
        enum class Role { Picture, NameLabel, PageButton, Trash, TextField } role;
        CatalogPosition position;
        int page = 0;
    };
    CatalogPosition current(const CatalogPosition& position) const;
    bool pictureEvent(QObject* watched, const CatalogPosition& position, QEvent* event);
    bool textEvent(QEvent* event);
    bool dropEvent(const Target& target, QEvent* event);
    void runDrag(QWidget* from, CatalogSource source, const QImage& picture, const QString& text);

    CatalogController& controller_;
    QHash<const QObject*, Target> targets_;
    QLineEdit* textField_ = nullptr;
    // The press that armed a drag (or may be a click), in the pressed control's coordinates.
    std::optional<QPoint> press_;
    bool armed_ = false;
    bool leftPress_ = false;
};

} // namespace winorbis
