#pragma once

#include <QDialog>

namespace vantuke {

class ElidedPathLabel;

// Where the About box's links lead: the home page shown and opened by the first link (the
// maker's link opens it too; packagers set it in the build, VANTUKE_HOME_PAGE), and the mail
// link, which opens an empty message in the user's mail program.
inline constexpr char kHomePageUrl[] = VANTUKE_HOME_PAGE;
inline constexpr char kMailUrl[] = "mailto:";

// The About box: the program's name, version, credits, links and release history.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    // Shows where the settings are kept: elided in the middle, whole in its tooltip.
    void ShowSettingsPath(const QString& path);

protected:
    // The box opens with the focus on "OK", so Enter closes it rather than opening a link.
    void showEvent(QShowEvent* event) override;

private:
    QWidget* ok_;
    ElidedPathLabel* settingsPath_;
};

} // namespace vantuke
