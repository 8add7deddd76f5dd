// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPictureBox.h"

#include "ExchangeTexts.h"
#include "StoredTestPictures.h"
#include "workspace/TestPictures.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace winorbis {

namespace {

const char* const kThumbnailNames[TestPictures::kCount] = {"Image20", "Image14", "Image21",
                                                           "Image22", "Image24"};
constexpr int kLeft = 4;
constexpr int kTop = 4;
constexpr int kGap = 6;

} // namespace

TestPictureBox::TestPictureBox(QWidget* parent)
    : QScrollArea(parent) {
    setObjectName(QStringLiteral("ScrollBox1"));
    setFixedSize(kBoxSize);
    setToolTip(ExchangeTexts::kTestPictureHint);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* content = new QWidget;
    const int step = TestPictures::kThumbnailSize.height() + kGap;
    content->setFixedSize(kLeft + TestPictures::kThumbnailSize.width() + kLeft,
                          kTop + TestPictures::kCount * step - kGap + kTop);
    for (int i = 0; i < TestPictures::kCount; ++i) {
        auto* thumbnail = new QLabel(content);
        thumbnail->setObjectName(QString::fromLatin1(kThumbnailNames[i]));
        thumbnail->setGeometry(QRect(QPoint(kLeft, kTop + i * step), TestPictures::kThumbnailSize));
        thumbnail->setScaledContents(true);
        thumbnail->setPixmap(QPixmap::fromImage(StoredTestPictures::thumbnail(i)));
        thumbnail->setToolTip(ExchangeTexts::kTestPictureHint);
        thumbnail->setCursor(Qt::PointingHandCursor);
        thumbnail->installEventFilter(this);
        thumbnails_ << thumbnail;
    }
    setWidget(content);
}

bool TestPictureBox::eventFilter(QObject* watched, QEvent* event) {
    const int index = thumbnails_.indexOf(qobject_cast<QLabel*>(watched));
    // The press belongs to the thumbnail, so that its release comes back to it.
    if (event->type() == QEvent::MouseButtonPress && index >= 0)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click: released with the left button over the thumbnail it was pressed on.
        if (index >= 0 && mouse->button() == Qt::LeftButton &&
            thumbnails_[index]->rect().contains(mouse->position().toPoint())) {
            emit testPictureClicked(index);
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace winorbis
