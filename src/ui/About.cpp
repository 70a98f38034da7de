#include "ui/About.h"

#include "platform/NameDisplay.h"
#include "ui/UrlLabel.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vantuke {

namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 265;
constexpr int kMinimumHeight = 215;
constexpr int kTitlePanelHeight = 76;
constexpr int kCreditsPanelHeight = 65;
constexpr int kButtonPanelHeight = 26;
constexpr int kPanelMargin = 3;

const QString kVersion = QStringLiteral(VANTUKE_VERSION);

// Newest release first, one change per line.
const QStringList kHistory = {
    kVersion + QStringLiteral(" - the first version for Linux, built on Qt 6."),
    QStringLiteral("  File and folder names keep their letter case."),
    QStringLiteral("  Renaming never replaces a file that already exists."),
    QStringLiteral("  A tag write that fails part-way leaves the file as it was."),
    QStringLiteral("  M3U comment lines (#EXTM3U, #EXTINF) are no longer taken for files."),
    QStringLiteral("  Relative playlist entries are found next to the playlist."),
    QStringLiteral("  Selections over 4 GB show their true size."),
    QStringLiteral("  The built-in template presets survive the first start."),
    QStringLiteral("  The status box and progress bar move during long runs."),
    QStringLiteral("  vantuke-cli runs every process from a shell."),
};

QFrame* MakePanel(const QString& name, int height, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedHeight(height);
    return panel;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// Makes the label's font smaller until its text fits the width, so a wide system font does
// not cut the slogan off.
void ShrinkToWidth(QLabel* label, int width) {
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > width && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

QFrame* MakeTitlePanel(QWidget* parent) {
    QFrame* panel = MakePanel(QStringLiteral("Panel1"), kTitlePanelHeight, parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(kPanelMargin, 0, kPanelMargin, kPanelMargin);
    layout->setSpacing(0);

    QLabel* name = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Vantuke"), panel);
    QFont big(QStringLiteral("Sans Serif"));
    big.setStyleHint(QFont::SansSerif);
    big.setPixelSize(43);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name, 1);

    QLabel* slogan =
        MakeLabel(QStringLiteral("Label2"),
                  QStringLiteral("Complete solution for all your mp3 tag needs!"), panel);
    slogan->setAlignment(Qt::AlignHCenter);
    ShrinkToWidth(slogan, kWidth - 2 * (kPanelMargin + panel->frameWidth()));
    layout->addWidget(slogan);
    return panel;
}

QFrame* MakeCreditsPanel(QWidget* parent) {
    QFrame* panel = MakePanel(QStringLiteral("Panel2"), kCreditsPanelHeight, parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(kPanelMargin, 1, kPanelMargin, 1);
    layout->setSpacing(0);

    auto* home = new TUrlLabel(QStringLiteral("Visit the Vantuke home page:\n") +
                                   QLatin1String(kHomePageUrl),
                               QLatin1String(kHomePageUrl), panel);
    home->setObjectName(QStringLiteral("UrlLabel1"));
    home->setWordWrap(true);
    layout->addWidget(home);

    auto* credits = new QHBoxLayout;
    credits->setSpacing(4);
    credits->addWidget(MakeLabel(QStringLiteral("Label3"), QStringLiteral("Made by"), panel));
    auto* maker =
        new TUrlLabel(QStringLiteral("The Vantuke developers"), QLatin1String(kHomePageUrl), panel);
    maker->setObjectName(QStringLiteral("UrlLabel2"));
    credits->addWidget(maker);
    auto* mail = new TUrlLabel(QStringLiteral("Mail"), QLatin1String(kMailUrl), panel);
    mail->setObjectName(QStringLiteral("UrlLabel3"));
    credits->addWidget(mail);
    credits->addStretch(1);
    layout->addLayout(credits);

    layout->addWidget(
        MakeLabel(QStringLiteral("Label4"), QStringLiteral("Version: ") + kVersion, panel));
    layout->addStretch(1);
    return panel;
}

QPlainTextEdit* MakeHistory(QWidget* parent) {
    auto* history = new QPlainTextEdit(parent);
    history->setObjectName(QStringLiteral("Memo1"));
    history->setAccessibleName(QStringLiteral("Release history"));
    history->setReadOnly(true);
    history->setLineWrapMode(QPlainTextEdit::NoWrap);
    history->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    history->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    history->setPlainText(kHistory.join(QLatin1Char('\n')));
    // At the box's smallest height the history keeps the room the panels leave it.
    history->setMinimumHeight(kMinimumHeight - kTitlePanelHeight - kCreditsPanelHeight -
                              kButtonPanelHeight);
    return history;
}

} // namespace

// A path in one line of the width it is given: cut in the middle where it is too long, so
// both the start of its folders and the file's name stay in view; the whole path is its
// tooltip.
class ElidedPathLabel : public QLabel {
public:
    explicit ElidedPathLabel(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    void SetPath(const QString& path) {
        path_ = path;
        setToolTip(path);
        Elide();
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    // The file's name stays whole as long as there is room for it and an ellipsis; the cut
    // is made in the folders before it.
    void Elide() {
        const QFontMetrics metrics = fontMetrics();
        const int room = contentsRect().width();
        const qsizetype nameStart = path_.lastIndexOf(u'/') + 1;
        const QString name = path_.mid(nameStart);
        const int folderRoom = room - metrics.horizontalAdvance(name);
        if (metrics.horizontalAdvance(path_) <= room || nameStart == 0 ||
            folderRoom < metrics.horizontalAdvance(QStringLiteral("/\u2026/")))
            setText(metrics.elidedText(path_, Qt::ElideMiddle, room));
        else
            setText(metrics.elidedText(path_.left(nameStart), Qt::ElideMiddle, folderRoom) + name);
    }

    QString path_;
};

namespace {

// Beside "OK": the settings file in use.
QFrame* MakeButtonPanel(TForm3* box, QWidget** ok, ElidedPathLabel** settingsPath) {
    auto* panel = new QFrame(box);
    panel->setObjectName(QStringLiteral("Panel3"));
    panel->setFixedHeight(kButtonPanelHeight);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(kPanelMargin, 1, kPanelMargin, 1);

    QLabel* label = MakeLabel(QStringLiteral("Label5"), QStringLiteral("Settings:"), panel);
    auto* path = new ElidedPathLabel(panel);
    path->setObjectName(QStringLiteral("SettingsPath"));
    label->setBuddy(path);
    layout->addWidget(label);
    layout->addWidget(path, 1);
    *settingsPath = path;

    auto* button = new QPushButton(box->style()->standardIcon(QStyle::SP_DialogOkButton),
                                   QStringLiteral("OK"), panel);
    button->setObjectName(QStringLiteral("SpeedButton1"));
    button->setFlat(true);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, box, &QDialog::accept);
    layout->addWidget(button);
    *ok = button;
    return panel;
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About"));
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MakeTitlePanel(this));
    layout->addWidget(MakeCreditsPanel(this));
    layout->addWidget(MakeHistory(this), 1);
    layout->addWidget(MakeButtonPanel(this, &ok_, &settingsPath_));

    setMinimumSize(kWidth, kMinimumHeight);
    resize(kWidth, kHeight);
}

void TForm3::ShowSettingsPath(const QString& path) {
    settingsPath_->SetPath(NameForDisplay(path));
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ok_->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace vantuke
