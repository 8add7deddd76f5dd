// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WebFace.h"
#include "WebRequest.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace winorbis {

class CatalogBeacon;
class Station;
class StationWeb;

// The web face of the running program: on, off or started anew as the command line and
// station.conf say. The command line's face (--web) runs for the whole run at its address;
// otherwise station.conf's "Web access" (WebAccess=1, WebPort=) decides, and the setup window
// switches it at once. A face is started anew only when what it was started with has changed
// (where it listens, the password, the view), since its pages lose their sessions.
class WebFaceSwitch : public QObject {
    Q_OBJECT
public:
    // The station and catalog beacon that the pages see and command; the program folder holds
    // station.conf.
    WebFaceSwitch(Station& station, CatalogBeacon* beacon, const QString& programFolder,
                  QObject* parent = nullptr);
    ~WebFaceSwitch() override;

    // The face the command line asks for: where it listens, with or without the public view.
    void setCommandLine(const web::Listen& listen, bool publicView);
    bool fromCommandLine() const { return commandLine_.has_value(); }

    struct Outcome {
        QString text;        // what changed, for the status line; empty when nothing did
        bool failed = false; // a face that is wanted could not start (text says why)
    };
    // Brings the face to what the command line and station.conf say now.
    Outcome apply();

    // The running face; none while it is off.
    const WebFace* face() const { return face_.get(); }

private:
    // The options the face is wanted with; none when it is off.
    std::optional<WebOptions> wanted() const;

    QString folder_;
    std::optional<std::pair<web::Listen, bool>> commandLine_;
    std::unique_ptr<StationWeb> web_;
    std::unique_ptr<WebFace> face_;
    WebOptions running_;
};

} // namespace winorbis
