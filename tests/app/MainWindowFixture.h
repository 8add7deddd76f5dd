// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TForm1.h"
#include "link/ConverterLink.h"
#include "support/EventPump.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace winorbis::test {

// The main window in a temporary program folder, with scripted dialogs, virtual time and a
// converter in memory behind its port.
struct MainWindowFixture : ::testing::Test {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    std::unique_ptr<TForm1> form;

    // Creates the main window; its start-up messages are cleared.
    void start();
    void TearDown() override { form.reset(); }

    template <typename T> T* control(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    // The pictures in a sub-folder (the reception log beside them is not one).
    QStringList files(const QString& sub) const {
        return QDir(dir.path() + sub)
            .entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg")}, QDir::Files);
    }
    QByteArray sentSince(qsizetype before) const { return port->written().mid(before); }
    // Runs the window's events until the station's command has ended on the converter's worker.
    void settle() {
        ASSERT_TRUE(pumpUntil([&] { return !form->station().busy(); }));
        QCoreApplication::processEvents();
    }
};

} // namespace winorbis::test
