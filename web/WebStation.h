// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace winorbis {

// What became of a command given from the web face: done, or refused; text is what the page shows
// ("Sending Martin 1", "Refused: a reception is under way").
struct WebOutcome {
    bool done = false;
    QString text;

    static WebOutcome ok(const QString& text = {}) { return {true, text}; }
    static WebOutcome refused(const QString& text) { return {false, text}; }
};

// Whether the converter answers: connected, lost (its port vanished), or being opened again.
enum class WebPresence { Connected, Lost, Reconnecting };

// A transmit mode the converter offers: "M1" and "Martin 1".
struct WebMode {
    QString shortName;
    QString displayName;
};

// The reception under way: its mode's display name, its air time and how much of it is left.
struct WebReception {
    QString mode;
    int airMs = 0;
    int leftMs = 0;
};

// A received picture as "received.log" records it: UTC time, mode, and the files written (native
// paths, the slot file and the JPEG copy; those that were not written are left out), and the
// callsign sent in FSK after it.
struct WebStoredPicture {
    QDateTime when;
    QString mode;
    QStringList files;
    QString callsign = {};
};

// The station as it stands, for a page that has just connected.
struct WebSnapshot {
    QString converterKind; // "box", "sound card" or "simulated"
    WebPresence presence = WebPresence::Connected;
    QString status;                        // the status line
    QImage txPicture;                      // the transmit picture
    std::optional<WebReception> reception; // none while no picture comes in
    QImage rxPicture; // the picture under way (or the last one), as far as it has come
    int rxRows = 0;   // the rows of rxPicture that have arrived (0 .. its height)
    QList<WebMode> modes;
    bool beacon = false;
    bool repeater = false;
    QString programFolder; // holds "AutoSpeichern/received.log" and the catalog
};

// The station as the web face sees it: a snapshot, the events it pushes to the pages and the
// commands the operator may give from a browser. The station implements it; the face only uses it.
// Signals are emitted and commands called on the face's thread, so that a face connects to the
// signals directly; every event carries its values, nothing has to be asked back.
class WebStation : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WebStation() override = default;

    // Everything a page shows, as it stands now.
    virtual WebSnapshot snapshot() const = 0;

    // Makes the picture the transmit picture (scaled as the station loads pictures).
    virtual WebOutcome setTxPicture(const QImage& picture) = 0;
    // Makes the picture of catalog page 0..17, position 0..24 the transmit picture.
    virtual WebOutcome setTxPictureFromCatalog(int page, int position) = 0;
    // Sends the transmit picture in the mode of this short name (one of snapshot().modes).
    virtual WebOutcome send(const QString& modeShortName) = 0;
    // Stops the reception under way.
    virtual WebOutcome rxStop() = 0;
    // Switches the catalog beacon and the repeater on and off.
    virtual WebOutcome setBeacon(bool on) = 0;
    virtual WebOutcome setRepeater(bool on) = 0;

signals:
    // A reception has been announced in this mode (display name), airMs long on the air.
    void announced(const QString& mode, int airMs);
    // Row (0 ..) of the picture under way has arrived; picture holds every row so far.
    void line(int row, const QImage& picture);
    // The reception has ended and its picture is stored: the line of "received.log".
    void stored(const WebStoredPicture& picture);
    // The converter (kind as in the snapshot) is connected, lost or being opened again.
    void presence(const QString& kind, WebPresence state);
    // The status line says text.
    void status(const QString& text);
    // The transmit picture is now picture.
    void txPicture(const QImage& picture);
    // One row of the capture's magnitudes (0 .. 255, low to high frequency), while the sound card
    // runs.
    void waterfall(const QByteArray& magnitudes);
    void beaconChanged(bool on);
    void repeaterChanged(bool on);
};

} // namespace winorbis
