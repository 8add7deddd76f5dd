// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterRecord.h"

#include <algorithm>

namespace winorbis {

void ReceivedBytes::append(std::uint8_t byte) {
    if (kept_.size() >= kMaxKept)
        kept_.remove(0, kept_.size() - kKept + 1);
    kept_.append(char(byte));
    ++total_;
    ++counts_[byte];
}

QByteArray ReceivedBytes::mid(qsizetype mark) const {
    const qsizetype first = total_ - kept_.size(); // the position of the first byte kept
    return kept_.mid(std::max(mark - first, qsizetype(0)));
}

void ConverterRecord::events(const QStringList& events) {
    for (const QString& event : events) {
        if (events_.size() >= kEvents)
            events_.removeFirst();
        events_.append(event);
        ++eventCount_;
    }
}

} // namespace winorbis
