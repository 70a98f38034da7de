#include "ui/ProgramWindows.h"

#include "batch/ID3TagQuery.h"
#include "settings/options.h"
#include "ui/About.h"
#include "ui/MainWindow.h"

#include <QSettings>

namespace vantuke {

namespace {

// Qt's own dialogs keep state through QSettings under the name "QtProject": the file dialog
// its history, last folder and view in ~/.config/QtProject.conf, shared by every Qt program
// of the user. The program keeps nothing but its own settings file, so that store is sent
// where no file can ever be: below /dev/null. Nothing is read from it, and writing it fails
// quietly; the dialogs start from what the program sets each time.
void KeepQtDialogStateAway() {
    const QString nowhere = QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, nowhere);
}

} // namespace

ProgramWindows::ProgramWindows(const QString& settingsPath, TDirTree::RootProvider roots)
    : main_(std::make_unique<TForm1>(std::move(roots))) {
    KeepQtDialogStateAway();
    if (!settingsPath.isEmpty())
        main_->SetSettingsPath(settingsPath);
    // The dialogs belong to the main window, so the desktop keeps them in front of it.
    query_ = new TForm2(main_.get());
    query_->CopyGenreList(main_->GenreList());
    about_ = new TForm3(main_.get());
    options_ = new TForm4(main_.get());
    main_->AttachDialogs(query_, about_, options_);
    main_->LoadSettings();
}

ProgramWindows::~ProgramWindows() = default;

void ProgramWindows::Show() {
    main_->ShowPlaced();
}

} // namespace vantuke
