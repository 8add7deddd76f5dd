// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/ReceptionController.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace winorbis {

class Clock;
class Dialogs;

// A converter station without a window: the converter link, the command gate, the picture
// transfers, the receive monitor with its end-of-reception timer and repeater, and the chain that
// follows a reception (fetch, store, report). The main window and the headless commands each put
// a face on it: a ReceptionView for what the reception shows, and the store a received picture
// goes to. There is one copy of that chain, here. The link's failures go to the station's dialogs
// as they happen: boxes for the operator's commands, standard error while the dialogs are
// unattended (automatic work).
class Station final : private ReceptionView {
public:
    Station(Dialogs& dialogs, Clock& clock, ReceptionView& face);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    ConverterLink& link() { return link_; }
    CommandGate& gate() { return gate_; }
    PictureTransfer& transfer() { return transfer_; }
    ReceptionController& reception() { return reception_; }
    Clock& clock() { return clock_; }
    Dialogs& dialogs() { return dialogs_; }
    // Keeps the receive monitor off the port while the returned hold lives.
    MonitorHold hold() { return reception_.hold(); }

    // The caller's part of a fetch: where the fetched picture goes and what the caller's face
    // shows meanwhile. Implemented by the main window (MainWindowFetch), orbisctl's watch command
    // and the station tests, each for one fetch. starting and line do nothing unless overridden.
    class FetchSteps {
    public:
        virtual ~FetchSteps() = default;
        // The fetch is about to start (it was not refused).
        virtual void starting() {}
        // A line has arrived: the picture's row (0 .. 255) holds it.
        virtual void line(int /*row*/) {}
        // Writes the picture's files; the problems, each in a sentence. The mode is the display
        // name of the reception announced last, empty when none was.
        virtual QStringList store(const QImage& picture, const QString& mode) = 0;
    };
    struct FetchResult {
        bool ran = false;      // false: refused (another command runs, or the converter is lost)
        bool complete = false; // every line came and every file was written
        QString failure;       // what went wrong first, empty when nothing did
    };
    // The fetch of the received picture into picture, then its store; what arrived is stored also
    // when the fetch stopped early. The operator's fetch shows its failures in boxes (the link's
    // failures go to the station's dialogs); the automatic one at the end of a reception shows
    // none, so an unattended station never stops: its failure is in the result, for the status
    // line, and on standard error.
    FetchResult fetchReceived(QImage& picture, bool byOperator, FetchSteps& steps);

    // The display name of the mode announced last, until a fetch stores it.
    QString announcedMode() const { return announcedMode_; }

private:
    // ReceptionView: the face's, with the announced mode kept on the way.
    void selectTxModeItem(std::uint8_t status) override;
    void setStatusText(const QString& text) override { face_.setStatusText(text); }
    void setLoadButtonEnabled(bool enabled) override { face_.setLoadButtonEnabled(enabled); }
    void setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) override {
        face_.setRxStopFace(text, colour);
    }
    void showRepeaterItem(int item) override { face_.showRepeaterItem(item); }
    void showRepeaterSwitch(bool on) override { face_.showRepeaterSwitch(on); }
    void removeFrames() override { face_.removeFrames(); }
    bool savesAutomatically() const override { return face_.savesAutomatically(); }
    void fetchReceivedPicture() override { face_.fetchReceivedPicture(); }
    void receptionTimeStarted(int totalMs) override { face_.receptionTimeStarted(totalMs); }
    void receptionTimeEnded() override { face_.receptionTimeEnded(); }
    void showConverterPresence(linktext::ConverterPresence presence) override {
        face_.showConverterPresence(presence);
    }

    Dialogs& dialogs_;
    Clock& clock_;
    ReceptionView& face_;
    ConverterLink link_;
    CommandGate gate_;
    PictureTransfer transfer_;
    ReceptionController reception_;
    QString announcedMode_;
};

} // namespace winorbis
