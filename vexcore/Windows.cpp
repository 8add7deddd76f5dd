// SPDX-License-Identifier: GPL-3.0-or-later
// Windows over Qt widgets: the application the widgets need, window handles, texts in the
// process's code page, the library's cursor, PrepareDialogBox and the window stand-ins.
#include "vexcore/Windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>

namespace winorbis::vex {

namespace {

bool displayNamed() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int g_cursor = IDC_ARROW;
bool g_overridePushed = false;

} // namespace

bool onWidgetThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return qobject_cast<const QApplication*>(app) != nullptr &&
           QThread::currentThread() == app->thread();
}

bool ensureWidgets() {
    if (QCoreApplication::instance() != nullptr)
        return onWidgetThread();
    if (!displayNamed())
        return false;
    // A client without an application of its own (a C program) gets one. Qt sets the C
    // library's locale from the environment; the client's locale, and with it the code page of
    // the string helpers, stays as it was.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    static int argc = 1;
    static char name[] = "vexcore";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    std::setlocale(LC_ALL, saved.c_str());
    return true;
}

QWidget* toWidget(HWND window) {
    if (window == nullptr || !onWidgetThread())
        return nullptr;
    auto* widget = reinterpret_cast<QWidget*>(window);
    return QApplication::allWidgets().contains(widget) ? widget : nullptr;
}

HWND toWindow(QWidget* widget) {
    return reinterpret_cast<HWND>(widget);
}

QString fromAnsi(LPCSTR text) {
    QString result;
    if (text == nullptr)
        return result;
    std::mbstate_t state{};
    const char* p = text;
    std::size_t left = std::strlen(text);
    while (left > 0) {
        wchar_t wide = 0;
        const std::size_t n = std::mbrtowc(&wide, p, left, &state);
        if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2) || n == 0) {
            result += QChar(static_cast<unsigned char>(*p));
            state = std::mbstate_t{};
            ++p;
            --left;
            continue;
        }
        result += QString::fromWCharArray(&wide, 1);
        p += n;
        left -= n;
    }
    return result;
}

QByteArray toAnsi(const QString& text) {
    QByteArray result;
    std::mbstate_t state{};
    const std::wstring wide = text.toStdWString();
    char buffer[MB_LEN_MAX];
    for (wchar_t c : wide) {
        const std::size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<std::size_t>(-1)) {
            result += '?';
            state = std::mbstate_t{};
        } else {
            result.append(buffer, static_cast<qsizetype>(n));
        }
    }
    return result;
}

void setCursorShape(int id) {
    g_cursor = id;
    if (!onWidgetThread())
        return;
    if (id == IDC_WAIT) {
        if (g_overridePushed) {
            QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
        } else {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            g_overridePushed = true;
        }
    } else if (g_overridePushed) {
        QGuiApplication::restoreOverrideCursor();
        g_overridePushed = false;
    }
}

int cursorShape() {
    return g_cursor;
}

} // namespace winorbis::vex

using namespace winorbis::vex;

BOOL VEXAPI PrepareDialogBox(HWND window, LPCSTR title) {
    QWidget* widget = toWidget(window);
    if (widget == nullptr)
        return 0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        const QSize size = widget->frameGeometry().size();
        widget->move(desktop.x() + (desktop.width() - size.width()) / 2,
                     desktop.y() + (desktop.height() - size.height()) / 3);
    }
    widget->setWindowTitle(fromAnsi(title));
    return 1;
}

HWND VexCreateWindow(LPCSTR title, int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || !ensureWidgets())
        return nullptr;
    auto* widget = new QWidget;
    widget->setWindowTitle(fromAnsi(title));
    widget->resize(width, height);
    return toWindow(widget);
}

BOOL VexDestroyWindow(HWND window) {
    QWidget* widget = toWidget(window);
    if (widget == nullptr)
        return 0;
    delete widget;
    return 1;
}

HWND VexFindWindow(LPCSTR title) {
    if (!onWidgetThread())
        return nullptr;
    const QString wanted = fromAnsi(title);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == wanted)
            return toWindow(widget);
    }
    return nullptr;
}

HWND VexGetDlgItem(HWND dialog, int id) {
    QWidget* widget = toWidget(dialog);
    if (widget == nullptr)
        return nullptr;
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        const QVariant value = child->property("controlId");
        if (value.isValid() && value.toInt() == id)
            return toWindow(child);
    }
    return nullptr;
}

BOOL VexGetWindowRect(HWND window, RECT* rect) {
    QWidget* widget = toWidget(window);
    if (widget == nullptr || rect == nullptr)
        return 0;
    const QRect r = widget->isWindow() ? widget->frameGeometry()
                                       : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return 1;
}

int VexGetWindowText(HWND window, LPSTR buffer, int size) {
    QWidget* widget = toWidget(window);
    if (buffer == nullptr || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (widget == nullptr)
        return 0;
    QString text = widget->windowTitle();
    if (!widget->isWindow()) {
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            text = button->text();
    }
    const QByteArray bytes = toAnsi(text);
    const int n = static_cast<int>(std::min<qsizetype>(bytes.size(), size - 1));
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

BOOL VexIsWindowEnabled(HWND window) {
    const QWidget* widget = toWidget(window);
    return widget != nullptr && widget->isEnabled() ? 1 : 0;
}

BOOL VexIsWindowVisible(HWND window) {
    const QWidget* widget = toWidget(window);
    return widget != nullptr && widget->isVisible() ? 1 : 0;
}

LRESULT VexSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = dynamic_cast<MessageTarget*>(toWidget(window));
    return target != nullptr ? target->message(message, wParam, lParam) : 0;
}

int VexGetSystemMetrics(int index) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 0;
    switch (index) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    default:
        return 0;
    }
}

int VexGetCursor(void) {
    return cursorShape();
}
