// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets share: a quiet Qt application for the whole run, a scratch folder, a way
// to fail loudly, and a reader of the fuzz input.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace winorbis::fuzz {

// Ends the run as a crash with the reason, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what) {
    if (!holds)
        fail(what);
}

// A Qt application whose warnings are dropped (a fuzzer makes Qt warn a great deal), made once.
inline QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return new QCoreApplication(argc, argv);
    }();
    return *app;
}

// A scratch folder for the whole run, removed at its end; in memory where the system has such a
// folder, since the program's files are written through fsync.
inline QString scratchFolder() {
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/winorbis-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/winorbis-fuzz-XXXXXX"));
    if (!dir.isValid())
        fail("no scratch folder");
    return dir.path();
}

// The fuzz input taken apart front to back; past its end every read gives zero.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : data_(data)
        , size_(size) {}

    bool atEnd() const { return pos_ >= size_; }
    std::size_t left() const { return size_ - pos_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int word() { return byte() | (byte() << 8); }
    int signedWord() { return std::int16_t(std::uint16_t(word())); }
    // The rest of the input.
    QByteArray rest() {
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + pos_), qsizetype(left()));
        pos_ = size_;
        return bytes;
    }
    // Up to n bytes.
    QByteArray take(std::size_t n) {
        n = std::min(n, left());
        const QByteArray bytes(reinterpret_cast<const char*>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace winorbis::fuzz
