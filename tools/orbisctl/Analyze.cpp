// SPDX-License-Identifier: GPL-3.0-or-later
#include "Analyze.h"
#include "Orbisctl.h"

#include "analyzer/FilterCoefficients.h"
#include "analyzer/SpectrumAnalysis.h"
#include "analyzer/TuningDisplay.h"
#include "analyzer/TuningRecording.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

#include <optional>

namespace winorbis {

namespace {} // namespace

int runAnalyze(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    QString input;
    QString png;
    bool bins = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--bins")
            bins = true;
        else if (a == "--png" && i + 1 < arguments.size())
            png = arguments[++i];
        else if (a.startsWith("--") || !input.isEmpty())
            return usageError(err,
                              QStringLiteral("unknown or incomplete analyze option %1").arg(a));
        else
            input = a;
    }
    if (input.isEmpty())
        return usageError(err, QStringLiteral("analyze needs a WAV file"));
    if (!png.isEmpty() && QFileInfo(png).suffix().compare("png", Qt::CaseInsensitive) != 0)
        return usageError(err, QStringLiteral("%1: the display is written as PNG (.png)").arg(png));

    QString why;
    const auto samples = readTuningRecording(input, &why);
    if (!samples) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 2;
    }
    const auto coefficients = readFilterCoefficients(filterDaten1Texts(), &why);
    if (!coefficients) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 1;
    }

    SpectrumAnalysis analysis(*coefficients);
    int number = 0;
    std::optional<AnalyzerPeriod> last;
    analysis.setPeriodListener([&](const AnalyzerPeriod& period) {
        const tuningdisplay::Summary s = tuningdisplay::summarize(period);
        std::fprintf(out, "%d %d %d %.1f", ++number, s.peak, s.sync, s.mean);
        if (bins)
            for (const std::int32_t count : period.bins)
                std::fprintf(out, " %d", int(count));
        std::fputc('\n', out);
        last = period;
    });
    analysis.process(*samples);
    std::fflush(out);

    if (!png.isEmpty()) {
        // Before the first update the display is as the window opens it: black, the line at rest.
        const QImage picture = tuningdisplay::picture(last.value_or(AnalyzerPeriod{}));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        if (const QString error = replaceFileContents(png, bytes); !error.isEmpty()) {
            std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}

} // namespace winorbis
