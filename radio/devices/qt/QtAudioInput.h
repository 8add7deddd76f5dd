// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analyzer/AudioInput.h"

#include <QAudio>
#include <QAudioDevice>
#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <memory>

class QAudioSource;
class QIODevice;

namespace winorbis {

// Unsigned 8-bit samples from signed 16-bit ones in the machine's byte order: the high byte with
// its sign bit turned, as 8-bit PCM is centred on 128. A byte left over at the end of a piece is
// kept in `carry` for the next one.
QByteArray unsigned8FromSigned16(QByteArray& carry, const QByteArray& bytes);

// The sound system's recording devices through Qt Multimedia. The samples are read on the thread
// that owns the input as they become available. A device that records no unsigned 8-bit samples
// is asked for signed 16-bit ones, which are handed over as unsigned 8-bit.
class QtAudioInput : public QObject, public AudioInput {
    Q_OBJECT
public:
    explicit QtAudioInput(QObject* parent = nullptr);
    ~QtAudioInput() override;
    // Where a device's failure is told; the program's notes unless set.
    static void setNoteWriter(void (*write)(const QString&));

    QList<RecordingDevice> devices() const override;
    void choose(const QString& id) override { chosen_ = id; }
    QString chosen() const override { return chosen_; }
    QString open(const RecordingFormat& format, DataHandler onData) override;
    QString start() override;
    void stop() override;
    void close() override;

private:
    // The chosen device when it is present, otherwise the system's default (or, when the system
    // names none, the first one); a null device when there is none.
    QAudioDevice device() const;
    void readAvailable();
    void stateChanged(QAudio::State state);

    QString chosen_;
    QAudioDevice device_;
    std::unique_ptr<QAudioSource> source_;
    // The source's stream while it records; the source deletes it when it fails (the sound
    // server gone), which clears this pointer.
    QPointer<QIODevice> stream_;
    DataHandler onData_;
    bool fromSigned16_ = false;
    QByteArray carry_;
};

} // namespace winorbis
