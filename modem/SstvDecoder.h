// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioHistory.h"
#include "FmDemodulator.h"
#include "FrequencyHistory.h"
#include "FskId.h"
#include "HighBand.h"
#include "LineTiming.h"
#include "VisDetector.h"
#include "converter/Modes.h"

#include <QImage>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace winorbis::sstv {

struct PictureStart {
    ModeId mode{};
    bool fromVis = false; // else found from its line timing
    double offsetHz = 0.0;
    double snrDb = 0.0; // estimated at the start, within 3 kHz
};

struct PictureEnd {
    ModeId mode{};
    bool complete = false; // all lines came; else the signal was lost
    int lines = 0;         // lines decoded
    double clockPpm = 0.0; // how much longer the received lines were than the mode's
    double offsetHz = 0.0;
    QImage picture; // at the mode's size; lines that did not come are black
    // The callsign sent in FSK after the picture; empty when none came. Only the sound card's
    // air (SoundCardAir), which waits for it, fills it in; the decoder reports it apart (fskId).
    QString fskId = {};
};

// Hears what the receiver finds, from within its process(), finish() and cancel() calls.
// Implemented by the sound-card radio, orbisctl's sstv decode command, the modem benchmark and the
// modem tests. Each event does nothing by default, so a listener overrides only the ones it needs.
class DecoderListener {
public:
    virtual ~DecoderListener() = default;
    // A picture has begun.
    virtual void started(const PictureStart& /*start*/) {}
    // Row line of the picture (at the mode's size) is final; the rows come in order from 0.
    virtual void line(int /*line*/, const QImage& /*picture*/) {}
    // The picture has ended, complete or not.
    virtual void ended(const PictureEnd& /*end*/) {}
    // A callsign came in FSK (as MMSSTV and qsstv send it after a picture).
    virtual void fskId(const QString& /*callsign*/) {}
};

// Keeps the first picture a decoder ends: the listener of a decode of one recording.
class FirstPicture final : public DecoderListener {
public:
    std::optional<PictureEnd> picture;
    QString callsign; // the first FSK ID heard

    void fskId(const QString& heard) override {
        if (callsign.isEmpty())
            callsign = heard;
    }
    void ended(const PictureEnd& end) override {
        if (!picture)
            picture = end;
    }
};

// The receiver: audio samples in, pictures out. Samples are pushed as they come, in blocks of
// any size; it owns no thread and no device. While idle it looks for a VIS header and, beside
// it, for the sync pattern of a picture whose header was missed, and for an FSK ID. During a
// picture it follows the syncs line by line, takes the slant out as it goes, and ends the
// picture when all lines have come or the signal has been gone for two line times.
class SstvDecoder {
public:
    explicit SstvDecoder(double sampleRate);
    // Who hears the decoder's events; nullptr: nobody. It must live while the decoder may call it.
    void setListener(DecoderListener* listener) { listener_ = listener; }

    void process(std::span<const float> samples);
    // The input has ended: a picture under way is ended with what has come.
    void finish();
    // Receives only this mode (free-run reception): a picture is found from its line timing
    // alone, and the VIS headers of other modes are ignored. nullopt: every mode again.
    void setOnlyMode(std::optional<ModeId> mode);
    std::optional<ModeId> onlyMode() const { return only_; }
    // Receives only these modes (a converter that knows no others); the headers of other modes
    // are heard as those of unknown ones. Empty: every mode of the table.
    void setModes(std::vector<ModeId> modes);
    // Ends a picture under way at once (ended reports it incomplete); the rest of its syncs are
    // not taken for a new picture.
    void cancel();

    bool receiving() const { return picture_.has_value(); }
    double workingRate() const { return demod_.workingRate(); }
    int parityFailures() const { return vis_.parityFailures(); }

private:
    struct Picture {
        const Mode* mode = nullptr;
        LineFit fit{1.0};
        double nominal = 0.0; // line time in working samples
        double syncOffset = 0.0;
        double syncLength = 0.0;
        double porch = 0.0; // after the sync
        int nextSync = 0;
        int nextLine = 0;
        int missed = 0; // syncs missed in a row
        int firstMissed = -1;
        int quietLines = 0;       // lines in a row with no signal to speak of
        double pixelWidth = 1.0;  // share of a pixel's time averaged for it
        double leastWindow = 0.0; // but no fewer samples than this
        // How long before and after a step of the tone the demodulator's answer holds some of
        // it, in working samples (as tuned for the picture).
        // [0] with the picture's tuning, [1] with the idle one or either.
        std::array<double, 2> settleBefore{}, settleAfter{};
        double retunedAt = 0.0; // the first sample of the picture's tuning, as it settles
        QImage raw;             // the lines as decoded
        QImage image;           // the lines as shown: with the noise of weak signals smoothed
        int rawRows = 0;        // rows final in raw
        int shownRows = 0;      // rows final in image
        double noise = -1.0;    // estimated noise of a pixel value, -1 before the first estimate
        std::vector<double> y, redDiff, blueDiff; // Robot 36: the even line of the pair
        std::vector<double> neutral;              // colour differences of no colour
        double firstWindow = 0.0; // after a header: the search for the first sync either side
        // How many working samples the frequency read lags the audio; where the syncs have ended
        // in the audio against their timing, in audio samples.
        double audioDelay = 0.0;
        std::vector<double> syncEnds;
    };

    void step();
    void startPicture(const Mode& m, bool fromVis, double offsetHz,
                      const std::vector<std::pair<int, double>>& syncs, double lineZeroSync,
                      double firstWindow, int parity = 0);
    void pictureStep();
    void startFromHeader(const Mode& m, const VisHeader& header);
    void settleHeader();
    // Where the first sync after a header is expected, and how far either side to look.
    std::pair<double, double> firstSync(const Mode& m, const VisHeader& header) const;
    void searchSync(Picture& p);
    double searchWindow(const Picture& p) const;
    void decodeLine(Picture& p, int line);
    void endPicture(bool complete);
    // How many audio samples the lines lie later in the audio than their timing puts them.
    double audioShift(Picture& p, int line) const;
    void settle(Picture& p, int rows, bool last);
    void smoothRow(Picture& p, int row, int below);
    double lineStart(const Picture& p, int line) const;
    double recentSnr() const;
    double timingOffset(const ModeFinder::Found& found) const;

    double rate_;
    FmDemodulator demod_;
    FrequencyHistory history_;
    AudioHistory audio_; // the audio the history was read from, as long
    HighBand band_;      // whether that audio came from a sender at a low sample rate
    VisDetector vis_;
    FskIdDecoder fskId_;
    double lastOffset_ = 0.0; // the mistuning of the last picture, for the FSK ID after it
    SyncEventDetector syncEvents_, longSyncEvents_;
    ModeFinder finder_;
    DecoderListener* listener_ = nullptr;
    std::vector<float> hz_, power_;
    FmDemodulator::Moments moments_;
    std::int64_t consumed_ = 0;
    // Centre and half width for the demodulator from the next piece on.
    std::optional<std::pair<double, double>> tuning_;
    double offset_ = 0.0;
    std::optional<Picture> picture_;
    std::int64_t idleFrom_ = 0; // no picture is found from syncs before this sample
    // No picture is found from syncs before this sample: those of a mode not known here.
    std::int64_t foreignUntil_ = 0;
    // A header of a code two modes are sent with, until the line timing tells which.
    std::optional<VisHeader> pendingHeader_;
    std::int64_t chunk_ = 0;
    std::int64_t chunkCount_ = 0;
    std::array<double, 12> snr_{};
    std::size_t snrIndex_ = 0;
    std::vector<SyncEvent> recentEvents_;
    std::optional<ModeId> only_;
    std::vector<ModeId> modes_;
};

} // namespace winorbis::sstv
