// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ColourProperty.h"

#include "platform/Colour.h"

#include <QMetaType>

#include <mutex>

namespace winorbis {

void RegisterColourProperty() {
    static std::once_flag once;
    std::call_once(once, [] {
        QMetaType::registerConverter<int, TColor>(
            [](int value) { return TColor(static_cast<std::uint32_t>(value)); });
        QMetaType::registerConverter<uint, TColor>(
            [](uint value) { return TColor(static_cast<std::uint32_t>(value)); });
        QMetaType::registerConverter<qlonglong, TColor>(
            [](qlonglong value) { return TColor(static_cast<std::uint32_t>(value)); });
        QMetaType::registerConverter<QColor, TColor>(
            [](const QColor& value) { return TColor::fromQColor(value); });
        QMetaType::registerConverter<TColor, int>([](TColor value) { return value.signedValue(); });
        QMetaType::registerConverter<TColor, uint>(
            [](TColor value) { return uint(value.value()); });
        QMetaType::registerConverter<TColor, QColor>([](TColor value) { return value.toQColor(); });
    });
}

} // namespace winorbis
