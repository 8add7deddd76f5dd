// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace winorbis::test {

// A picture transfer against the converter in memory, on virtual time, with its progress recorded.
struct TransferFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    PictureTransfer transfer{link, clock};
    // No monitor runs in these tests: the hold holds nothing.
    const MonitorHold noMonitor{nullptr};
    std::vector<std::pair<int, int>> progress;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        link.attachPort(std::move(memory));
        converter = std::make_unique<MemoryConverter>(*port);
        transfer.setProgress([this](int p, int m) { progress.emplace_back(p, m); });
    }
};

} // namespace winorbis::test
