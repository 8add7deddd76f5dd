// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <QByteArray>
#include <QImage>

#include <vector>

namespace winorbis {

// What the converter does on the air, as its byte model asks for it: sending the memory picture,
// free-run reception, the receive stop and digitizing a picture. The model calls it while it
// handles a byte, under whatever lock serialises the model, so no call may block or call back
// into the model; a radio that works on another thread queues the request. What comes off the air
// (a reception) reaches the model through the radio's owner, not through this interface.
class ConverterRadio {
public:
    virtual ~ConverterRadio() = default;
    // Sends the memory picture: its 256 line blocks of the pixel codec.
    virtual void transmit(ModeId mode, std::vector<QByteArray> memoryLines) = 0;
    // Receives in the mode until the receive stop, with or without a VIS header.
    virtual void freeRun(ModeId mode) = 0;
    // Ends a running reception (and free run).
    virtual void stopReception() = 0;
    // The picture a digitize puts into the active memory; a null image leaves the memory as it
    // is.
    virtual QImage digitize() = 0;
};

// The simulated converter's air: nothing is sent or received, and the camera input shows a test
// picture whose marker moves with each digitize.
class SimulatedRadio : public ConverterRadio {
public:
    void transmit(ModeId, std::vector<QByteArray>) override {}
    void freeRun(ModeId) override {}
    void stopReception() override {}
    QImage digitize() override;

    // The picture the camera input shows at a frame.
    static QImage cameraPicture(int frameNumber);

private:
    int cameraFrame_ = 0;
};

} // namespace winorbis
