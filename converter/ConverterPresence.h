// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace winorbis {

// Whether the converter answers: it does, it is there but does not answer, or its port is lost.
enum class ConverterPresence { Connected, NotAnswering, Lost };

} // namespace winorbis
