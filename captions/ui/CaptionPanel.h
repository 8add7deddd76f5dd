// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace winorbis {

class TFlyingButton;

// The caption controls of the main window, made at their places: the blue font panel (291 x 65
// at (26, 412)) with `Slant`, `CheckBox1`, `SpinEdit1`, `SpinEdit2`, "Font" and "Color"; the font
// example `Image1` at (325, 417); the blue text panel (594 x 64 at (398, 412)) with `MyCall`,
// `Edit2`, the standard-text buttons `FORM1` .. `FORM8` and "Standard Text"; and on the picture
// panel below the TX window the "Callsign" button, the report `Edit3` and the contest number
// `Button3` with their labels.
struct CaptionPanel {
    CaptionPanel(QWidget& mainArea, QWidget& picturePanel);

    QSpinBox* fontSize = nullptr;                // SpinEdit1
    QSpinBox* turn = nullptr;                    // SpinEdit2
    QCheckBox* shadow = nullptr;                 // CheckBox1
    QCheckBox* italic = nullptr;                 // Slant
    TFlyingButton* font = nullptr;               // FlyingButton19
    TFlyingButton* colour = nullptr;             // FlyingButton20
    QLabel* example = nullptr;                   // Image1
    QPushButton* callsign = nullptr;             // MyCall
    QLineEdit* typedText = nullptr;              // Edit2
    std::array<QPushButton*, 8> standardTexts{}; // FORM1 .. FORM8
    TFlyingButton* library = nullptr;            // FlyingButton21 "Standard Text"
    TFlyingButton* callsignPicture = nullptr;    // FlyingButton17 "Callsign"
    QPushButton* hiddenCallsign = nullptr;       // SpeedButton9 "Rufzeichen", never shown
    QLineEdit* report = nullptr;                 // Edit3
    QPushButton* contest = nullptr;              // Button3
};

} // namespace winorbis
