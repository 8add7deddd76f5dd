// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the port map "\ports.conf": arbitrary text is read into a map whose four ports
// always name a device (the default where a line is missing or not understood), with no blanks
// around it; a map written and read again names the same devices; any other port number names
// none. Some inputs go through a real file in a folder.
#include "FuzzSupport.h"

#include "platform/ProgramFolder.h"
#include "settings/PortMap.h"

#include <QFile>

using namespace winorbis;
using fuzz::check;

namespace {

void checkForm(const PortMap& map) {
    for (int n = 1; n <= PortMap::kPortCount; ++n) {
        const QString device = map.device(n);
        check(!device.isEmpty(), "every port names a device");
        check(device == device.trimmed(), "a device has no blanks around it");
        check(!device.contains(QLatin1Char('\n')), "a device is one line");
    }
    for (int n : {-1, 0, PortMap::kPortCount + 1, 1000})
        check(map.device(n).isEmpty(), "other port numbers name no device");
}

bool sameDevices(const PortMap& a, const PortMap& b) {
    for (int n = 1; n <= PortMap::kPortCount; ++n) {
        if (a.device(n) != b.device(n))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::uint8_t how = in.byte();
    const QByteArray text = in.rest();

    const PortMap map = PortMap::fromText(text);
    checkForm(map);

    // A line the reader takes keeps its device; a text without "=" changes nothing.
    if (!text.contains('='))
        check(sameDevices(map, PortMap()), "a text without assignments keeps the defaults");

    const QByteArray written = map.toText();
    const PortMap again = PortMap::fromText(written);
    check(sameDevices(map, again), "a written map reads back the same devices");
    check(again.toText() == written, "a written map writes the same text again");

    // The same through a file: load reads what fromText reads, save writes what toText writes.
    if (how & 1) {
        const ProgramFolder folder(fuzz::scratchFolder());
        const QString path = folder.path(PortMap::kFileName);
        {
            QFile file(path);
            check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "ports.conf written");
            check(file.write(text) == text.size(), "ports.conf written whole");
        }
        const PortMap loaded = PortMap::load(folder);
        if (text.size() <= 64 * 1024)
            check(sameDevices(loaded, map), "load reads the file as fromText");
        check(loaded.save(folder).isEmpty(), "ports.conf saved");
        QFile file(path);
        check(file.open(QIODevice::ReadOnly), "saved ports.conf opens");
        check(file.readAll() == loaded.toText(), "save writes toText");
    }
    return 0;
}
