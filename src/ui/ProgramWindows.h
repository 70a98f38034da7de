#pragma once

#include "selection/dirtree.h"

#include <QString>
#include <memory>

namespace vantuke {

class TForm1;
class TForm2;
class TForm3;
class TForm4;

// The program's four windows, created in the order they depend on: the main window (which
// fills the genre list), the tag query dialog (which copies it), the About box and the
// Options dialog; then the settings are loaded into all of them. They live as long as this
// object.
class ProgramWindows {
public:
    // An empty settingsPath means "Vantuke.Ini" in the program's folder.
    explicit ProgramWindows(const QString& settingsPath = QString(),
                            TDirTree::RootProvider roots = TDirTree::RootProvider());
    ~ProgramWindows();

    TForm1& Main() const { return *main_; }
    TForm2& Query() const { return *query_; }
    TForm3& About() const { return *about_; }
    TForm4& Options() const { return *options_; }

    // Shows the main window where it was last closed, or else centred on the screen.
    void Show();

private:
    std::unique_ptr<TForm1> main_;
    TForm2* query_;
    TForm3* about_;
    TForm4* options_;
};

} // namespace vantuke
