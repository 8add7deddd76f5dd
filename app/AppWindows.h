// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppServices.h"

#include <QStringList>

#include <memory>

class QWidget;

namespace winorbis {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TMainForm;
class TfrmMemoBlk;
class Tunit8;
class StationSetup;

// The program's ten windows, created at start in a fixed order and living until the program ends.
// The main window comes first, so its creation runs before any other window exists; the others are
// hidden until shown.
class AppWindows {
public:
    explicit AppWindows(const AppServices& services);
    ~AppWindows();

    TForm1& main() const { return *form1_; }
    // The beacons, the setup and info buttons.
    StationSetup& setup() const { return *station_; }
    // The class names in the order the windows were created.
    const QStringList& creationOrder() const { return order_; }
    // Every window, in creation order.
    QList<QWidget*> all() const;

private:
    template <typename W, typename... Args> std::unique_ptr<W> make(Args&&... args);
    // The log book window in the program folder, offered in the main window's "&Special" menu.
    void connectLogBook(const AppServices& services);
    // "Help" with the manual copied into a new program folder, "Exit", the menu "&Help".
    void connectHelp(const AppServices& services);

    QStringList order_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TfrmMemoBlk> memoBlk_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<Tunit8> unit8_;
    // The beacons, the setup and info buttons; they go before the windows they use.
    std::unique_ptr<StationSetup> station_;
};

} // namespace winorbis
