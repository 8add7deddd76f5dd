// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace winorbis {

class Dialogs;
class TForm1;
class TForm3;

// Joins the catalog window to the main window: the catalog shares the main window's folder,
// pictures and settings, its clicks load the TX picture the way a mini slot dropped on the TX
// window does, and the RX catalog's names are the slot names. The main window opens it with the
// "Catalog" button, "&Catalog" in the "&Special" menu and F9 (KatalogClick), and its TX and RX
// catalog stores show the stored picture in the catalog at once.
void connectCatalog(TForm1& main, TForm3& catalog, Dialogs& dialogs);

} // namespace winorbis
