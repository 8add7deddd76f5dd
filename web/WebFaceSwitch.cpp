// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebFaceSwitch.h"

#include "StationWeb.h"
#include "WebAccess.h"
#include "WebTexts.h"

#include "platform/ProgramFolder.h"
#include "settings/StationOptions.h"

namespace winorbis {

namespace {

bool sameFace(const WebOptions& a, const WebOptions& b) {
    return a.listen.address == b.listen.address && a.listen.port == b.listen.port &&
           a.passwordHash == b.passwordHash && a.publicView == b.publicView &&
           a.secureCookies == b.secureCookies;
}

} // namespace

WebFaceSwitch::WebFaceSwitch(Station& station, CatalogBeacon* beacon, const QString& programFolder,
                             QObject* parent)
    : QObject(parent)
    , folder_(programFolder)
    , web_(std::make_unique<StationWeb>(station, beacon)) {}

WebFaceSwitch::~WebFaceSwitch() = default;

void WebFaceSwitch::setCommandLine(const web::Listen& listen, bool publicView) {
    commandLine_ = std::pair{listen, publicView};
}

std::optional<WebOptions> WebFaceSwitch::wanted() const {
    WebOptions options = WebOptions::fromStationConf(folder_);
    if (commandLine_) {
        options.listen = commandLine_->first;
        options.publicView = commandLine_->second;
        return options;
    }
    if (!StationOptions::load(ProgramFolder(folder_)).flag(WebAccessChoice::kAccessKey))
        return std::nullopt;
    return options;
}

WebFaceSwitch::Outcome WebFaceSwitch::apply() {
    const std::optional<WebOptions> want = wanted();
    if (!want) {
        if (!face_)
            return {};
        face_.reset();
        return {webtext::kFaceOff};
    }
    if (face_ && sameFace(*want, running_))
        return {};
    // The face that runs gives its port up first: the new one may want the same.
    face_.reset();
    QString why;
    face_ = WebFace::start(*web_, *want, &why);
    if (!face_)
        return {why, true};
    running_ = *want;
    return {webtext::kListening.arg(face_->listening().text())};
}

} // namespace winorbis
