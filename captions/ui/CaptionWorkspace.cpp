// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionWorkspace.h"

#include "TForm2.h"
#include "TfrmMemoBlk.h"

#include "captions/CaptionRenderer.h"
#include "captions/CaptionSources.h"
#include "captions/CaptionTexts.h"
#include "captions/StationCallsign.h"
#include "controls/StatusHints.h"
#include "controls/TFlyingButton.h"
#include "controls/WindowPlacement.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/StationOptions.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureTexts.h"
#include "workspace/WorkingPictures.h"
#include "workspace/ui/PaintBox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>

namespace winorbis {

namespace {

const QString kCallsignInsertKey = QStringLiteral("CallsignInsert");
// The typed text's drags carry this type beside the text, so that texts of other programs are
// not taken.
const QString kTypedTextMime = QStringLiteral("application/x-winorbis-text");

QPoint pointOf(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->position().toPoint();
}

Qt::MouseButton buttonOf(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->button();
}

} // namespace

CaptionWorkspace::CaptionWorkspace(Settings& settings, WorkingPictures& pictures,
                                   const ProgramFolder& folder, Dialogs& dialogs, Controls controls,
                                   CaptionWorkspaceHost& host, QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , pictures_(pictures)
    , folder_(folder)
    , dialogs_(dialogs)
    , controls_(controls)
    , host_(host)
    , panel_(controls.mainArea, controls.picturePanel)
    , placement_(pictures, *this) {
    txWindow_ = &controls_.txWindow;
    controls_.txWindow.setMouseTracking(true);
    controls_.txWindow.setOverlay([this](QImage& shown) { placement_.paintFrames(shown); });
    placement_.setWindowSize(controls_.txWindow.size());
    connectControls();
}

CaptionWorkspace::~CaptionWorkspace() {
    // The TX window may have gone before its frames' painter.
    if (txWindow_)
        txWindow_->setOverlay({});
}

void CaptionWorkspace::status(const QString& text) const {
    host_.showStatus(text);
}

void CaptionWorkspace::connectControls() {
    // Presses that remove frames first, and the TX window's and picture-in-picture's mouse.
    QList<QObject*> watched = {&controls_.txWindow, &controls_.pipButton, panel_.report,
                               panel_.contest,      panel_.typedText,     panel_.fontSize,
                               panel_.turn};
    for (QSpinBox* spin : {panel_.fontSize, panel_.turn})
        watched << spin->findChild<QLineEdit*>();
    for (QPushButton* button : panel_.standardTexts)
        watched << button;
    for (QObject* object : watched)
        object->installEventFilter(this);

    connect(panel_.fontSize, &QSpinBox::valueChanged, this, &CaptionWorkspace::SpinEdit1Change);
    connect(panel_.turn, &QSpinBox::valueChanged, this, &CaptionWorkspace::SpinEdit2Change);
    connect(panel_.shadow, &QCheckBox::clicked, this, &CaptionWorkspace::CheckBox1Click);
    connect(panel_.italic, &QCheckBox::clicked, this, &CaptionWorkspace::SlantClick);
    connect(panel_.colour, &TFlyingButton::OnClick, this, &CaptionWorkspace::ColorClick);
    connect(panel_.font, &TFlyingButton::OnClick, this, &CaptionWorkspace::FontClick);
    connect(panel_.callsign, &QPushButton::clicked, this, &CaptionWorkspace::MyCallClick);
    connect(panel_.report, &QLineEdit::textEdited, this, &CaptionWorkspace::Edit3Click);
    connect(panel_.contest, &QPushButton::clicked, this, &CaptionWorkspace::Button3Click);
    connect(panel_.typedText, &QLineEdit::returnPressed, this, &CaptionWorkspace::Edit2Enter);
    connect(panel_.typedText, &QLineEdit::textChanged, this,
            [this] { status(captiontext::kTypedTextChangeStatus); });
    for (int n = 1; n <= 8; ++n)
        connect(panel_.standardTexts[std::size_t(n - 1)], &QPushButton::clicked, this,
                [this, n] { FormClick(n); });
    connect(panel_.library, &TFlyingButton::OnClick, this, &CaptionWorkspace::StandardClick);
    connect(panel_.callsignPicture, &TFlyingButton::OnClick, this, [this] { CallClick(); });
    connect(panel_.hiddenCallsign, &QPushButton::clicked, this, [this] { CallClick(); });
    connect(&controls_.callsignInsert, &QCheckBox::clicked, this,
            &CaptionWorkspace::CheckBox4Click);

    auto* hints = new StatusHints([this](const QString& text) { status(text); }, this);
    hints->add(panel_.turn, captiontext::kTurnHint);
    hints->add(panel_.typedText, captiontext::kTypedTextMoveStatus);
}

void CaptionWorkspace::addReferenceMenu(QMenu& menu) {
    menu.addSeparator();
    QMenu* reference = menu.addMenu(QStringLiteral("Reference"));
    reference->setObjectName(QStringLiteral("Reference1"));
    QAction* inscription = reference->addAction(QStringLiteral("Picture inscription"));
    inscription->setObjectName(QStringLiteral("SSTVBildbeschriftung1"));
    connect(inscription, &QAction::triggered, this, &CaptionWorkspace::SSTVBildbeschriftung1Click);
}

void CaptionWorkspace::setFontWindow(TForm2* window) {
    fontWindow_ = window;
}

void CaptionWorkspace::setLibraryWindow(TfrmMemoBlk* window) {
    libraryWindow_ = window;
    if (window)
        window->attach(folder_, dialogs_, [this](const QString& text) {
            panel_.typedText->setText(text.left(captions::kTypedTextMax));
        });
}

void CaptionWorkspace::showSettings() {
    panel_.callsign->setText(settings_.callsign);
    for (int n = 1; n <= kStandardTextCount; ++n)
        showStandardText(n);
    const QSignalBlocker sizeBlocker(panel_.fontSize);
    const QSignalBlocker turnBlocker(panel_.turn);
    panel_.fontSize->setValue(settings_.callsignFont.height);
    panel_.turn->setValue(settings_.callsignFont.escapement / 10);
    panel_.shadow->setChecked(settings_.shadow == CaptionShadow::On);
    panel_.italic->setChecked(settings_.callsignFont.italic == 1);
    panel_.report->setText(QStringLiteral(" "));
    showContest();
    controls_.callsignInsert.setChecked(StationOptions::load(folder_).flag(kCallsignInsertKey));
    drawFontExample();
}

void CaptionWorkspace::showCallsign() {
    panel_.callsign->setText(settings_.callsign);
}

void CaptionWorkspace::remakeCallsignPicture() {
    if (const QString problem = StationCallsign(settings_, folder_).remakePicture();
        !problem.isEmpty())
        status(problem);
}

void CaptionWorkspace::showStandardText(int n) {
    const FontBlock& block = settings_.standardTexts[std::size_t(n - 1)];
    QPushButton* button = panel_.standardTexts[std::size_t(n - 1)];
    button->setText(block.text);
    QFont font = button->font();
    font.setFamily(block.faceName);
    font.setBold(block.weight == captions::kBold);
    font.setItalic(block.italic == 1);
    button->setFont(font);
}

void CaptionWorkspace::showContest() {
    panel_.contest->setText(captions::paddedContest(settings_.contestNumber));
}

void CaptionWorkspace::drawFontExample() {
    const QImage example =
        captions::fontExample(captions::captionStyle(settings_), panel_.turn->value());
    panel_.example->setPixmap(QPixmap::fromImage(example));
}

void CaptionWorkspace::arm(const QString& text, const CaptionStyle& style) {
    placement_.arm(text, style, panel_.turn->value());
}

void CaptionWorkspace::MyCallClick() {
    arm(settings_.callsign, captions::captionStyle(settings_));
    status(captiontext::kCallsignStatus);
}

void CaptionWorkspace::Edit3Click() {
    const QString text = panel_.report->text();
    settings_.report = text;
    arm(text, captions::captionStyle(settings_));
    status(captiontext::kReportStatus);
}

void CaptionWorkspace::Button3Click() {
    arm(captions::paddedContest(settings_.contestNumber), captions::captionStyle(settings_));
    status(captiontext::kContestStatus);
    ++settings_.contestNumber;
    showContest();
}

void CaptionWorkspace::Button3RightPress() {
    settings_.contestNumber = captions::contestDown(settings_.contestNumber);
    showContest();
}

void CaptionWorkspace::Edit2Enter() {
    removeFrames();
    const QString text = panel_.typedText->text();
    if (!text.isEmpty())
        arm(text, captions::captionStyle(settings_));
}

void CaptionWorkspace::FormClick(int n) {
    arm(settings_.standardTexts[std::size_t(n - 1)].text,
        captions::standardTextStyle(settings_, n));
    status(captiontext::kStandardTextStatus);
}

void CaptionWorkspace::dropTypedText(QWidget* target) {
    const QString text = panel_.typedText->text();
    textDrag_ = TextDrag::Idle;
    if (target == panel_.contest) {
        const auto number = captions::contestFromText(text);
        if (!number) {
            dialogs_.error(captiontext::notAnInteger(text));
            return;
        }
        settings_.contestNumber = *number;
        showContest();
        return;
    }
    for (int n = 1; n <= kStandardTextCount; ++n) {
        if (panel_.standardTexts[std::size_t(n - 1)] == target) {
            captions::storeStandardText(settings_, n, text);
            showStandardText(n);
        }
    }
}

void CaptionWorkspace::SpinEdit1Change() {
    settings_.callsignFont.height = panel_.fontSize->value();
    drawFontExample();
}

void CaptionWorkspace::SpinEdit2Change() {
    settings_.callsignFont.escapement = panel_.turn->value() * 10;
    drawFontExample();
}

void CaptionWorkspace::CheckBox1Click() {
    removeFrames();
    settings_.shadow = panel_.shadow->isChecked() ? CaptionShadow::On : CaptionShadow::Off;
    drawFontExample();
    remakeCallsignPicture();
}

void CaptionWorkspace::SlantClick() {
    removeFrames();
    settings_.callsignFont.italic = panel_.italic->isChecked() ? 1 : 0;
    drawFontExample();
    remakeCallsignPicture();
}

void CaptionWorkspace::ColorClick() {
    removeFrames();
    if (const auto colour = dialogs_.chooseColour(settings_.callsignFont.textColour))
        settings_.callsignFont.textColour = *colour;
    drawFontExample();
    remakeCallsignPicture();
}

void CaptionWorkspace::FontClick() {
    removeFrames();
    if (fontWindow_)
        fontWindow_->choose(settings_, dialogs_);
    drawFontExample();
    remakeCallsignPicture();
}

void CaptionWorkspace::StandardClick() {
    if (!libraryWindow_)
        return;
    if (!libraryWindow_->isVisible())
        centreOver(*libraryWindow_, &controls_.mainArea);
    libraryWindow_->show();
    libraryWindow_->raise();
    libraryWindow_->activateWindow();
}

void CaptionWorkspace::SSTVBildbeschriftung1Click() {
    dialogs_.message(captiontext::kPictureInscription, Dialogs::Kind::Information);
}

void CaptionWorkspace::CheckBox4Click() {
    CallClick();
    const QString problem = StationOptions::store(folder_, kCallsignInsertKey,
                                                  controls_.callsignInsert.isChecked() ? "1" : "0");
    if (!problem.isEmpty())
        status(problem);
}

bool CaptionWorkspace::CallClick(bool automatic) {
    const QString path = folder_.path(captions::kCallsignPictureName);
    QString error;
    const QImage callsign = BmpFiles::read(path, &error);
    if (callsign.isNull()) {
        // The reader's text names the file and the reason already.
        if (automatic)
            status(error);
        else
            dialogs_.error(error);
        return false;
    }
    pictures_.scratch = callsign;
    captions::pasteCallsign(pictures_.tx, pictures_.scratch);
    host_.txPictureChanged();
    return true;
}

void CaptionWorkspace::beforeUpload() {
    if (controls_.callsignInsert.isChecked())
        CallClick(true);
}

bool CaptionWorkspace::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &controls_.txWindow)
        return txWindowEvent(event);
    if (watched == &controls_.pipButton && event->type() == QEvent::MouseButtonPress) {
        if (buttonOf(event) == Qt::LeftButton)
            placement_.pipButtonPress(pointOf(event));
        else if (buttonOf(event) == Qt::RightButton)
            placement_.pipButtonRightPress();
        return false;
    }
    if (watched == panel_.typedText)
        return typedTextEvent(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool dropTarget =
        widget && (widget == panel_.contest ||
                   std::ranges::find(panel_.standardTexts, widget) != panel_.standardTexts.end());
    if (dropTarget && dropTargetEvent(widget, event))
        return true;
    if (event->type() == QEvent::MouseButtonPress) {
        // A press on the report, the contest number, a standard text or a font field.
        removeFrames();
        if (watched == panel_.contest && buttonOf(event) == Qt::RightButton)
            Button3RightPress();
    } else if (event->type() == QEvent::MouseButtonRelease && watched == panel_.report &&
               buttonOf(event) == Qt::LeftButton) {
        Edit3Click();
    } else if (event->type() == QEvent::MouseButtonRelease && buttonOf(event) == Qt::LeftButton &&
               widget && widget->parent() == panel_.fontSize) {
        SpinEdit1Change(); // SpinEdit1Click
    }
    return false;
}

bool CaptionWorkspace::txWindowEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        placement_.mouseMove(pointOf(event));
        return false;
    case QEvent::MouseButtonPress:
        if (buttonOf(event) == Qt::RightButton) {
            placement_.rightPress();
            return false;
        }
        return buttonOf(event) == Qt::LeftButton && placement_.leftPress(pointOf(event));
    case QEvent::MouseButtonRelease:
        return buttonOf(event) == Qt::LeftButton && placement_.leftRelease(pointOf(event));
    case QEvent::Resize:
        placement_.setWindowSize(controls_.txWindow.size());
        return false;
    default:
        return false;
    }
}

bool CaptionWorkspace::typedTextEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (buttonOf(event) == Qt::LeftButton) {
            textDrag_ = TextDrag::Pressed;
            textPress_ = pointOf(event);
        }
        return false;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        if ((textDrag_ != TextDrag::Pressed && textDrag_ != TextDrag::Dragging) ||
            !(mouse->buttons() & Qt::LeftButton) ||
            (at.x() == textPress_.x() && at.y() == textPress_.y()))
            return false;
        // The drag starts at once, without the system's threshold.
        textDrag_ = TextDrag::Dragging;
        auto* drag = new QDrag(panel_.typedText);
        auto* mime = new QMimeData;
        mime->setText(panel_.typedText->text());
        mime->setData(kTypedTextMime, panel_.typedText->text().toUtf8());
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
        textDrag_ = TextDrag::Idle;
        textPress_ = {};
        return true;
    }
    case QEvent::MouseButtonRelease:
        textDrag_ = TextDrag::Idle;
        textPress_ = {};
        return false;
    default:
        return false;
    }
}

bool CaptionWorkspace::dropTargetEvent(QWidget* target, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasFormat(kTypedTextMime) &&
            (textDrag_ == TextDrag::Dragging || textDrag_ == TextDrag::OverTarget)) {
            textDrag_ = TextDrag::OverTarget;
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        if (textDrag_ == TextDrag::OverTarget)
            textDrag_ = TextDrag::Dragging;
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (textDrag_ != TextDrag::OverTarget)
            return true;
        drop->acceptProposedAction();
        dropTypedText(target);
        return true;
    }
    default:
        return false;
    }
}

} // namespace winorbis
