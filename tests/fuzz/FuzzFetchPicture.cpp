// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the fetch of a picture from the converter over a line that brings arbitrary
// bytes, short reads and gaps (ScriptPort). The fetch always ends, the picture keeps its size and
// format, rows are reported in order, the progress stays within its bar, and a fetch that fails
// says why in one of the link's messages.
#include "FuzzSupport.h"
#include "ScriptPort.h"

#include "converter/Modes.h"
#include "link/ConverterLink.h"
#include "link/LinkTexts.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QImage>

using namespace winorbis;
using fuzz::check;

namespace {

QImage picture(fuzz::InputReader& in) {
    static const QImage::Format formats[] = {QImage::Format_RGB888, QImage::Format_RGB32,
                                             QImage::Format_ARGB32, QImage::Format_Indexed8,
                                             QImage::Format_Grayscale8};
    const std::uint8_t choice = in.byte();
    const QImage::Format format = formats[choice % std::size(formats)];
    // Mostly the RX picture's own size, sometimes another.
    int width = 410, height = 256;
    if (choice & 0x80) {
        width = in.byte() * 2;
        height = in.byte() * 2;
    }
    QImage image(width, height, format);
    image.fill(0);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    QImage image = picture(in);
    const QSize sizeBefore = image.size();
    const QImage::Format formatBefore = image.format();

    test::VirtualClock clock;
    test::ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    auto port = std::make_unique<fuzz::ScriptPort>(in.rest());
    fuzz::ScriptPort* script = port.get();
    link.attachPort(std::move(port));

    PictureTransfer transfer(link, clock);
    int lastPosition = -1;
    transfer.setProgress([&](int position, int maximum) {
        check(maximum == PictureTransfer::kProgressMaximum, "progress maximum");
        check(position >= 0 && position <= maximum, "progress within the bar");
        check(position >= lastPosition, "progress never goes back");
        lastPosition = position;
    });
    int rows = 0;
    const MonitorHold hold(nullptr);
    const bool complete = transfer.FetchPicture(image, hold, [&](int row) {
        check(row == rows, "rows are reported in order, each once");
        ++rows;
    });

    check(image.size() == sizeBefore, "the picture keeps its size");
    check(image.format() == formatBefore, "the picture keeps its format");
    check(complete == (rows == 256), "a complete fetch took all 256 lines");
    const QStringList texts = dialogs.texts();
    if (complete) {
        check(texts.isEmpty(), "a complete fetch shows nothing");
        check(lastPosition == PictureTransfer::kProgressMaximum, "a complete fetch fills the bar");
    } else {
        check(!texts.isEmpty(), "a failed fetch says why");
        const QString& why = texts.last();
        check(why == linktext::kCommunicationCom || why == linktext::kCommunicationData,
              "a failed fetch ends with a communication error");
    }
    // The PC asked for the transfer, then for each line in turn.
    const QByteArray written = script->written();
    check(!written.isEmpty() && written[0] == char(command::kBeginTransfer),
          "the fetch begins with the begin-transfer command");
    check(written.count(char(command::kNextLine)) >= rows, "every line was asked for");
    return 0;
}
