// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/WorkingPictures.h"

#include <gtest/gtest.h>

using namespace winorbis;

TEST(WorkingPictures, TheDefaultPictureIsAGreyRampFromZeroTo248) {
    const QImage ramp = WorkingPictures::defaultGradient();
    EXPECT_EQ(ramp.size(), QSize(410, 256));
    EXPECT_EQ(ramp.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(ramp.pixel(209, 100), qRgb(127, 127, 127)); // 209 * 255 / 419
    EXPECT_EQ(ramp.pixel(409, 255), qRgb(248, 248, 248));
}

TEST(WorkingPictures, APictureIsScaledIntoTheWholeTarget) {
    QImage small(2, 2, QImage::Format_RGB888);
    small.setPixel(0, 0, qRgb(255, 0, 0));
    small.setPixel(1, 0, qRgb(0, 255, 0));
    small.setPixel(0, 1, qRgb(0, 0, 255));
    small.setPixel(1, 1, qRgb(255, 255, 255));
    const QImage scaled = WorkingPictures::scaledInto(small, QSize(410, 256));
    EXPECT_EQ(scaled.size(), QSize(410, 256));
    EXPECT_EQ(scaled.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(scaled.pixel(400, 10), qRgb(0, 255, 0));
    EXPECT_EQ(scaled.pixel(10, 250), qRgb(0, 0, 255));
    EXPECT_EQ(scaled.pixel(409, 255), qRgb(255, 255, 255));
}

TEST(WorkingPictures, TimeStampsAreDayMonthYearHourMinuteSecond) {
    EXPECT_EQ(WorkingPictures::timeStamp(QDateTime(QDate(2026, 12, 6), QTime(18, 45, 1))),
              "061226_184501");
    EXPECT_EQ(WorkingPictures::timeStamp(QDateTime(QDate(2027, 1, 9), QTime(7, 5, 9))),
              "090127_070509");
}
