// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

namespace winorbis::test {

void MainWindowFixture::start() {
    AppServices services{dialogs, clock, dir.path()};
    services.portFactory = [this] {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        converter = std::make_unique<MemoryConverter>(*memory);
        return memory;
    };
    form = std::make_unique<TForm1>(services);
    dialogs.clear();
}

} // namespace winorbis::test
