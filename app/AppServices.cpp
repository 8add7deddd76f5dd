// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppServices.h"

#include <QDir>

namespace winorbis {

Station::Setup AppServices::stationSetup() const {
    Station::Setup setup;
    setup.folder = folder.isEmpty() ? QDir::currentPath() : folder;
    setup.device = portDevice;
    setup.portFactory = portFactory;
    setup.portKind = portKind;
    if (soundCard)
        setup.use = Station::Setup::Use::SoundCard;
    setup.converterLog = converterLog;
    setup.converterFactory = converterFactory;
    setup.verbose = verbose;
    return setup;
}

} // namespace winorbis
