// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis {

class Dialogs;
class ProgramFolder;
struct WorkingPictures;

// The two pictures the program writes itself at every start: the grey ramp "\DEFALT.BMP" that
// the TX and RX pictures start from, and "\Gray.BMP" that an empty mini slot shows. Both are
// built byte for byte (BMP file header, 40-byte information header, 24-bit rows bottom-up, each
// padded to four bytes) and replace the old files as one step. Beside them the confirmation sound
// "\ok.wav" of the self-timer, which is only written where there is none.
class StartupPictures {
public:
    static inline const QString kDefaultName = QStringLiteral("\\DEFALT.BMP");
    static inline const QString kGrayName = QStringLiteral("\\Gray.BMP");
    static constexpr int kDefaultFileSize = 315446; // 54 + 1232 * 256
    static constexpr int kGrayFileSize = 14454;     // 54 + 240 * 60

    // 410 x 256, every pixel grey x * 255 / 419.
    static QByteArray defaultPictureBytes();
    // 80 x 60, every byte 160.
    static QByteArray grayPictureBytes();

    static inline const QString kSoundName = QStringLiteral("\\ok.wav");
    static constexpr int kSoundRate = 8000;
    static constexpr int kSoundSamples = 2400; // 0.3 s
    // A PCM WAV file of 8 kHz, 8 bits, mono: two beeps of 1000 Hz, 0.1 s each, 0.1 s apart.
    static QByteArray confirmationSoundBytes();

    StartupPictures(const ProgramFolder& folder, Dialogs& dialogs)
        : folder_(folder)
        , dialogs_(dialogs) {}

    // Writes "\DEFALT.BMP"; a failure is shown in the standard error box and the old file stays.
    bool writeDefaultPicture() const;
    // The TX and the RX picture start as the ramp "\DEFALT.BMP" holds once written; it is made in
    // memory rather than read back, and an old file that could not be replaced is never taken.
    // Both pictures are always 410 x 256 afterwards.
    static void loadDefaultPicture(WorkingPictures& pictures);
    // Writes "\Gray.BMP"; a failure is shown in the standard error box and the old file stays.
    bool writeGrayPicture() const;

    // Writes the confirmation sound "\ok.wav" when the folder has none (in any letter case); a
    // sound of the operator's own stays. A failure is shown in the standard error box.
    bool writeMissingConfirmationSound() const;

    // The three picture steps in the order of the start-up.
    void run(WorkingPictures& pictures) const;

private:
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
};

} // namespace winorbis
