// SPDX-License-Identifier: GPL-3.0-or-later
#include "AirModeList.h"

#include "MainWindowTexts.h"

#include "stationcore/Station.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace winorbis {

AirModeList::AirModeList(Station& station, QWidget* parent, std::function<void(ModeId)> send)
    : QWidget(parent)
    , station_(station)
    , send_(std::move(send))
    , list_(new QComboBox(this)) {
    using namespace mainwindowtext;
    setObjectName(QStringLiteral("AirModeList"));
    // Below the TX MODE box.
    setGeometry(6, 246, 60, 82);
    setToolTip(kAirModesHint);
    auto* title = new QLabel(kAirModesTitle, this);
    title->setGeometry(4, 0, 56, 18);
    list_->setObjectName(QStringLiteral("AirModes"));
    list_->setGeometry(0, 20, 60, 26);
    // The names are longer than the box is wide: the open list shows them whole.
    list_->view()->setMinimumWidth(150);
    auto* button = new QPushButton(kAirModeSend, this);
    button->setObjectName(QStringLiteral("AirModeSend"));
    button->setGeometry(10, 52, 40, 24);
    connect(button, &QPushButton::clicked, this, [this] {
        const int index = list_->currentIndex();
        if (index >= 0 && index < offered_.size())
            send_(offered_[index]);
    });
    connect(&station_, &Station::converterChanged, this, &AirModeList::refresh);
    refresh();
}

void AirModeList::send(ModeId id) {
    if (const auto index = offered_.indexOf(id); index >= 0) {
        list_->setCurrentIndex(int(index));
        send_(id);
    }
}

void AirModeList::refresh() {
    offered_.clear();
    list_->clear();
    for (const ModeId id : station_.capabilities().modes) {
        if (isBoxMode(id))
            continue; // the six have their buttons
        offered_ << id;
        list_->addItem(mode(id).shortName);
        list_->setItemData(list_->count() - 1, mode(id).name, Qt::ToolTipRole);
    }
    setVisible(!offered_.isEmpty());
}

} // namespace winorbis
