// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationCallsign.h"

#include "CaptionRenderer.h"
#include "CaptionSources.h"

#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "workspace/BmpFiles.h"

#include <QColor>
#include <QFontMetrics>

namespace winorbis::captions {

namespace {

constexpr int kMargin = 4;

} // namespace

QString callsignProblem(const QString& callsign) {
    const QString call = callsign.trimmed();
    if (call.isEmpty())
        return QStringLiteral("The callsign is empty.");
    if (call.size() > kCallsignMax)
        return QStringLiteral("The callsign \"%1\" is longer than %2 characters.")
            .arg(call)
            .arg(kCallsignMax);
    for (const QChar c : call) {
        if (!c.isPrint() || c.unicode() > 0xff)
            return QStringLiteral("The callsign \"%1\" holds a character that cannot be kept.")
                .arg(call);
    }
    return {};
}

QImage callsignPicture(const Settings& settings) {
    QImage picture(kCallsignPictureSize, QImage::Format_RGB888);
    CaptionStyle style = captionStyle(settings);
    const QColor text = style.textColour.toQColor();
    picture.fill(qGray(text.rgb()) > 150 ? Qt::black : Qt::white);
    style.font.escapement = 0;
    const QString call = settings.callsign.trimmed();
    if (call.isEmpty())
        return picture;
    // The largest height whose text (with its shadow) fits inside the margins.
    const QSize room = kCallsignPictureSize - QSize(2 * kMargin, 2 * kMargin);
    int height = room.height();
    QSize size;
    for (; height > 6; --height) {
        style.font.height = height;
        const QFontMetrics metrics(style.font.toQFont());
        const int shadow = style.shadow ? std::max(1, height / 16) : 0;
        size = QSize(metrics.horizontalAdvance(call) + shadow, metrics.height() + shadow);
        if (size.width() <= room.width() && size.height() <= room.height())
            break;
    }
    const QPoint at((picture.width() - size.width()) / 2, (picture.height() - size.height()) / 2);
    renderCaption(picture, call, at, style);
    return picture;
}

} // namespace winorbis::captions

namespace winorbis {

QString StationCallsign::set(const QString& callsign) {
    if (const QString problem = captions::callsignProblem(callsign); !problem.isEmpty())
        return problem;
    settings_.callsign = callsign.trimmed();
    return remakePicture();
}

QString StationCallsign::remakePicture() const {
    QString error;
    if (!BmpFiles::write(captions::callsignPicture(settings_), picturePath(), &error))
        return error;
    return {};
}

QString StationCallsign::picturePath() const {
    return folder_.path(captions::kCallsignPictureName);
}

} // namespace winorbis
