// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "stationcore/ConverterChoice.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace winorbis {

// The setup window's page of the built-in sound-card converter: capture and playback devices,
// push-to-talk method and its target, clock correction with the error measured last, camera and
// digitize picture. Shows a converter choice and reads the operator's back into one; what the
// choice means is ConverterChoice's business.
class SoundCardPanel : public QWidget {
    Q_OBJECT
public:
    // The devices the computer offers, each list with its default first.
    struct Devices {
        QStringList capture;
        QStringList playback;
        QStringList cameras;
    };

    explicit SoundCardPanel(QWidget* page);

    void showChoice(const ConverterChoice& choice, const Devices& devices);
    // The sound card's fields of the choice from the controls; the rest stays.
    void readInto(ConverterChoice& choice) const;
    // The clock error the converter measured on its last picture, and "Take over".
    void showMeasuredClock(std::optional<double> ppm);
    void setDigitizePicture(const QString& path);

signals:
    void choosePictureClicked();

private:
    void pttMethodChanged();

    QComboBox* capture_ = nullptr;
    QComboBox* playback_ = nullptr;
    QComboBox* pttMethod_ = nullptr;
    QLineEdit* pttTarget_ = nullptr;
    QDoubleSpinBox* clockPpm_ = nullptr;
    QCheckBox* fskId_ = nullptr;
    QLabel* measured_ = nullptr;
    QPushButton* takeMeasured_ = nullptr;
    QComboBox* camera_ = nullptr;
    QLineEdit* picture_ = nullptr;
    std::optional<double> measuredPpm_;
};

} // namespace winorbis
