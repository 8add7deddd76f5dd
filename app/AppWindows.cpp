// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppWindows.h"

#include "CatalogWiring.h"
#include "HandheldWindowWiring.h"
#include "HelpCommands.h"
#include "ManualFile.h"
#include "StationConverter.h"
#include "StationSetup.h"
#include "TForm1.h"
#include "TForm6.h"
#include "TuningWiring.h"
#include "analyzer/Tunit8.h"
#include "captions/ui/CaptionWorkspace.h"
#include "captions/ui/TForm2.h"
#include "captions/ui/TfrmMemoBlk.h"
#include "catalog/TForm3.h"
#include "handheld/TForm4.h"
#include "link/ui/TForm5.h"
#include "logbook/LogBookTexts.h"
#include "logbook/QsoLog.h"
#include "logbook/ui/TMainForm.h"
#include "radio/devices/SoundSystem.h"
#include "workspace/ui/TForm7.h"

#include <QMenu>

namespace winorbis {

template <typename W, typename... Args> std::unique_ptr<W> AppWindows::make(Args&&... args) {
    auto window = std::make_unique<W>(std::forward<Args>(args)...);
    order_ << QString::fromLatin1(W::staticMetaObject.className()).section("::", -1);
    return window;
}

AppWindows::AppWindows(const AppServices& services)
    : form1_(make<TForm1>(services))
    , form5_(make<TForm5>())
    , form2_(make<TForm2>())
    , form6_(make<TForm6>())
    , memoBlk_(make<TfrmMemoBlk>())
    , form3_(make<TForm3>())
    , mainForm_(make<TMainForm>())
    , form4_(make<TForm4>())
    , form7_(make<TForm7>())
    , unit8_(make<Tunit8>(services.dialogs)) {
    // The main window prints through the preview window made here.
    form1_->pictureWorkspace().exchange().setPreview(form7_.get());
    // Its caption commands open the font and standard-text windows made here.
    form1_->captions().setFontWindow(form2_.get());
    form1_->captions().setLibraryWindow(memoBlk_.get());
    connectHandheldWindow(*form1_, *form4_, services.dialogs, services.clock);
    connectLogBook(services);
    connectTuning(*form1_, *unit8_);
    connectHelp(services);
    station_ =
        std::make_unique<StationSetup>(*form1_, *form5_, *form6_, services.clock, services.dialogs);
    station_->setDeviceLists([] {
        return SoundCardPanel::Devices{radio::captureDeviceNames(), radio::playbackDeviceNames(),
                                       radio::cameraNames()};
    });
    if (services.converter) {
        services.converter->attach(*form1_);
        station_->setConverter(services.converter);
    }
    connectCatalog(*form1_, *form3_, services.dialogs); // the catalog window and its commands
    // Only the main window's closing ends the program.
    for (QWidget* window : all()) {
        if (window != form1_.get())
            window->setAttribute(Qt::WA_QuitOnClose, false);
    }
}

void AppWindows::connectHelp(const AppServices& services) {
    // A new program folder gets the user manual, which "Help" opens.
    if (const QString problem = copyManualIfMissing(form1_->programFolder()); !problem.isEmpty())
        qWarning("%s", qPrintable(problem));
    // "Exit", "Help" and the menu "&Help" live as long as the main window.
    new HelpCommands(*form1_, services.dialogs, form1_.get());
}

void AppWindows::connectLogBook(const AppServices& services) {
    // A new program folder gets an empty log "\QSO.DB" to start with.
    if (const QString problem = logbook::createStarterLogIfMissing(form1_->programFolder());
        !problem.isEmpty())
        qWarning("%s", qPrintable(problem));
    mainForm_->attach(services.dialogs, form1_->programFolder());
    // LogbuchClick: the "&Special" menu shows the log book without blocking.
    {
        QAction* item = form1_->specialMenu()->addAction(logbooktext::kMenuItem);
        item->setObjectName(QStringLiteral("Logbuch1"));
        TMainForm* logBook = mainForm_.get();
        QObject::connect(item, &QAction::triggered, logBook, [logBook] {
            logBook->show();
            logBook->raise();
            logBook->activateWindow();
        });
    }
}

AppWindows::~AppWindows() {
    station_.reset();
    // The other windows go first; the main window's destruction writes the settings last.
    unit8_.reset();
    form7_.reset();
    form4_.reset();
    mainForm_.reset();
    form3_.reset();
    memoBlk_.reset();
    form6_.reset();
    form2_.reset();
    form5_.reset();
    form1_.reset();
}

QList<QWidget*> AppWindows::all() const {
    return {form1_.get(), form5_.get(),    form2_.get(), form6_.get(), memoBlk_.get(),
            form3_.get(), mainForm_.get(), form4_.get(), form7_.get(), unit8_.get()};
}

} // namespace winorbis
