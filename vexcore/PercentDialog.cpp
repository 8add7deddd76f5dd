// SPDX-License-Identifier: GPL-3.0-or-later
// The progress dialog, its percentage bar and the three PercentDlg functions around them.
#include "vexcore/PercentDialog.h"

#include "vexcore/Gdi.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QThread>

#include <algorithm>

namespace winorbis::vex {

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kWhite = 0xFFFFFF;

// Pixels of dialog units, from the dialog font's average character width and height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX_ = std::max(1, (letters / 26 + 1) / 2);
        baseY_ = std::max(1, metrics.height());
    }
    int x(int units) const { return (units * baseX_ + 2) / 4; }
    int y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }

private:
    int baseX_ = 1;
    int baseY_ = 1;
};

} // namespace

PercentBar::PercentBar(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Percent"));
    setProperty("controlId", PERCENT_ID_BAR);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent); // no background brush: paint covers everything
    setFocusPolicy(Qt::TabFocus);
}

QString PercentBar::text() const {
    int r = range();
    int p = position();
    if (r == 0) {
        r = 1;
        p = 0;
    }
    return QString::asprintf("%d%%", p * 100 / r);
}

LRESULT PercentBar::message(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case PERCENT_SETRANGE:
        words_[0] = static_cast<quint16>(wParam);
        changed();
        return 0;
    case PERCENT_GETRANGE:
        return words_[0];
    case PERCENT_SETPOS:
        words_[1] = static_cast<quint16>(wParam);
        changed();
        return 0;
    case PERCENT_GETPOS:
        return words_[1];
    default:
        return 0;
    }
}

void PercentBar::changed() {
    if (isVisible())
        repaint();
    else
        update();
}

void PercentBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // The border; the client area lies inside it.
    painter.setPen(QColor(Qt::black));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect client = rect().adjusted(1, 1, -1, -1);
    if (client.isEmpty())
        return;
    painter.translate(client.topLeft());

    ScopedPainterDC dc(&painter);
    dc.context().bkColor = fromQColor(palette().color(QPalette::Base));
    dc.context().textColor = fromQColor(palette().color(QPalette::Text));
    if (auto* owner = dynamic_cast<MessageTarget*>(parentWidget()))
        owner->message(PERCENT_CTLCOLOR, reinterpret_cast<WPARAM>(dc.handle()), 0);
    const COLORREF textColor = dc.context().textColor;
    const COLORREF bkColor = dc.context().bkColor;

    qint64 r = range();
    qint64 p = position();
    if (r == 0) {
        r = 1;
        p = 0;
    }
    const int width = client.width();
    const int height = client.height();
    const int filled = static_cast<int>(std::min<qint64>(p * width / r, width));
    const QString label = text();
    const QFontMetrics metrics(font());
    const int top = (height - metrics.height()) / 2;
    const QPoint baseline(width / 2 - metrics.horizontalAdvance(label) / 2, top + metrics.ascent());

    auto drawPart = [&](const QRect& part, COLORREF fore, COLORREF back) {
        if (part.isEmpty())
            return;
        painter.save();
        painter.setClipRect(part);
        painter.fillRect(part, toQColor(back));
        painter.setPen(toQColor(fore));
        painter.drawText(baseline, label);
        painter.restore();
    };
    // The colours swapped over the filled part, as they are over the rest.
    drawPart(QRect(0, 0, filled, height), bkColor, textColor);
    drawPart(QRect(filled, 0, width - filled, height), textColor, bkColor);
}

PercentDialog::PercentDialog()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , blueBrush_(toQColor(kBlue)) {
    setObjectName(QStringLiteral("DLGPERCENT"));
    setModal(false);
    setWindowTitle(QStringLiteral("Dialog"));
    setFont(QFont(QStringLiteral("System"), 10));
    const DialogUnits units(font());

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setProperty("controlId", PERCENT_ID_MESSAGE);
    message_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    message_->setGeometry(units.rect(14, 6, 100, 10));

    bar_ = new PercentBar(this);
    bar_->setGeometry(units.rect(14, 20, 100, 10));

    cancel_ = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setProperty("controlId", IDCANCEL);
    cancel_->setAutoDefault(false);
    cancel_->setGeometry(units.rect(48, 34, 32, 14));
    connect(cancel_, &QPushButton::clicked, this, [this] { command(IDCANCEL); });

    setFixedSize(units.x(128), units.y(52));
    // Centred with its frame, which is known once the platform window exists.
    create();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        const QSize frame = frameGeometry().size();
        move(desktop.x() + (desktop.width() - frame.width()) / 2,
             desktop.y() + (desktop.height() - frame.height()) / 2);
    }
}

void PercentDialog::setMessage(const QString& text) {
    message_->setText(text);
}

bool PercentDialog::cancelled() const {
    return !cancel_->isEnabled();
}

LRESULT PercentDialog::message(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_COMMAND:
        command(static_cast<int>(wParam & 0xFFFF));
        return 0;
    case PERCENT_CTLCOLOR:
        deviceContexts().with(reinterpret_cast<void*>(wParam), [](DeviceContext& context) {
            context.textColor = kBlue;
            context.bkColor = kWhite;
        });
        return reinterpret_cast<LRESULT>(&blueBrush_);
    default:
        return 0;
    }
}

void PercentDialog::command(int id) {
    if (id == IDOK || id == IDCANCEL)
        cancel_->setEnabled(false);
}

void PercentDialog::accept() {
    command(IDOK);
}

void PercentDialog::reject() {
    command(IDCANCEL);
}

void PercentDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    cancel_->setEnabled(true);
    message_->clear();
    bar_->message(PERCENT_SETPOS, 0, 0);
    bar_->message(PERCENT_SETRANGE, 0, 0);
}

void PercentDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        command(IDOK);
        return;
    }
    QDialog::keyPressEvent(event); // Escape: reject
}

void PercentDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    command(IDCANCEL);
}

} // namespace winorbis::vex

using namespace winorbis::vex;

namespace {

// The progress dialog's state, global to the process.
struct ProgressState {
    bool active = false;
    QPointer<PercentDialog> dialog;
    bool classRegistered = false; // by the current opening
};

ProgressState g_progress;
bool g_percentClassExists = false;

// Registering the bar's window class: an atom when this call registered it, 0 when it exists.
int registerPercentClass() {
    if (g_percentClassExists)
        return 0;
    g_percentClassExists = true;
    return 0xC000;
}

BOOL unregisterPercentClass() {
    if (!g_percentClassExists)
        return 0;
    g_percentClassExists = false;
    return 1;
}

BOOL destroyDialog() {
    PercentDialog* dialog = g_progress.dialog;
    g_progress.dialog = nullptr;
    if (dialog == nullptr)
        return 0;
    dialog->hide();
    if (QThread::currentThread() == dialog->thread())
        delete dialog;
    else
        dialog->deleteLater();
    return 1;
}

INT_PTR closeProgress() {
    const BOOL destroyed = destroyDialog();
    INT_PTR result = destroyed;
    if (g_progress.classRegistered)
        result = unregisterPercentClass();
    g_progress.classRegistered = false;
    g_progress.active = false;
    return result;
}

bool isEmpty(LPCSTR text) {
    return text == nullptr || *text == '\0';
}

} // namespace

BOOL VEXAPI PercentDlgOpen(LPCSTR title, LPCSTR message) {
    // One progress dialog at a time: an opening over an open one replaces it instead of leaving
    // the old window behind.
    if (g_progress.active)
        closeProgress();
    g_progress.active = true;
    g_progress.classRegistered = false;
    if (isEmpty(title) && isEmpty(message)) {
        g_progress.active = false;
        setCursorShape(IDC_WAIT);
        return 1;
    }
    g_progress.classRegistered = registerPercentClass() != 0;
    if (!ensureWidgets())
        return 0; // stays active without a window: PercentDlgProcess then gives 0
    auto* dialog = new PercentDialog;
    dialog->show();
    dialog->setWindowTitle(fromAnsi(title));
    dialog->setMessage(fromAnsi(message));
    dialog->repaint();
    dialog->bar()->message(PERCENT_SETRANGE, 100, 0);
    dialog->bar()->message(PERCENT_SETPOS, 0, 0);
    g_progress.dialog = dialog;
    return 1;
}

BOOL VEXAPI PercentDlgProcess(int percent) {
    if (!g_progress.active)
        return 1;
    percent = std::min(percent, 100);
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    PercentDialog* dialog = g_progress.dialog;
    if (dialog == nullptr || dialog->cancelled())
        return 0;
    dialog->bar()->message(PERCENT_SETPOS, static_cast<WPARAM>(std::max(percent, 0)), 0);
    return 1;
}

INT_PTR VEXAPI PercentDlgClose(void) {
    if (!g_progress.active) {
        const int previous = cursorShape();
        setCursorShape(IDC_ARROW);
        return previous;
    }
    return closeProgress();
}
