#include "ui/MainWindow.h"

#include "selection/BusyScope.h"
#include "settings/CodePageGuessDialog.h"
#include "selection/Playlist.h"
#include "settings/options.h"
#include "ui/About.h"
#include "ui/ErrorGuard.h"
#include "ui/ExecutePage.h"
#include "ui/FileSelectionPage.h"
#include "ui/FilenameTagPage.h"
#include "ui/ProcessPages.h"
#include "ui/SettingsBinding.h"
#include "ui/ShortInfo.h"
#include "ui/StatusFile.h"
#include "ui/TagPage.h"
#include "ui/WrapTabs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace vantuke {

namespace {

constexpr QSize kWindowSize(372, 471);
constexpr int kStepFiles = 0;
constexpr int kStepProcess = 1;

QString RunFileDialog(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

const CodePage* RunGuessDialog(CodePageGuessDialog& dialog) {
    return dialog.exec() == QDialog::Accepted ? dialog.ChosenPage() : nullptr;
}

void OpenWithPlayer(const QString& path) {
    // Returns at once; a file type without a program is ignored.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// The local files a drag brings, read from its own bytes: Qt's conversion of URLs to paths
// would turn a name's bytes that are not UTF-8 into U+FFFD.
QStringList DraggedPaths(const QMimeData* data) {
    return data ? ParseUriList(data->data(QStringLiteral("text/uri-list"))) : QStringList();
}

// A drop is taken as a copy, or else a link: were it taken as a move, the file manager would
// delete the files it dragged here.
bool TakeAsCopy(QDropEvent* event) {
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions().testFlag(action)) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace

TForm1::TForm1(QWidget* parent) : TForm1(TDirTree::RootProvider(), parent) {}

TForm1::TForm1(TDirTree::RootProvider roots, QWidget* parent)
    : QWidget(parent), steps_(new WrapTabs(this)),
      files_(roots ? new FileSelectionPage(std::move(roots)) : new FileSelectionPage),
      execute_(new ExecutePage), fileDialogRunner_(&RunFileDialog),
      guessDialogRunner_(&RunGuessDialog), mp3Player_(&OpenWithPlayer) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantuke"));
    resize(kWindowSize);
    setAcceptDrops(true);

    steps_->setObjectName(QStringLiteral("PageControl3"));
    steps_->AddPage(files_, QStringLiteral("Step1: Select files to process"));
    steps_->AddPage(MakeProcessStep(), QStringLiteral("Step2: Select process"));
    steps_->AddPage(execute_, QStringLiteral("Step3: Execute"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    // The window keeps its own minimum size (see KeepMinimumSize).
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(steps_);

    // The selection's status line is shown by the step-1 page as it is built; the genre
    // list and the substitution table's header are filled by their pages.
    settingsFile_ = FindSettingsFile();
    AppendStatusLine(ProcessSelectedLine(processes_->CurrentProcess()));
    ConnectControls();
    UpdateUndoButton();
}

TForm1::~TForm1() = default;

QWidget* TForm1::MakeProcessStep() {
    auto* page = new QWidget;
    processes_ = new ProcessPages(page);
    auto* group = new QGroupBox(QStringLiteral("Short info:"), page);
    group->setObjectName(QStringLiteral("GroupBox3"));
    shortInfo_ = new QPlainTextEdit(group);
    shortInfo_->setObjectName(QStringLiteral("Memo2"));
    shortInfo_->setAccessibleName(QStringLiteral("Short info"));
    shortInfo_->setReadOnly(true);
    shortInfo_->setAcceptDrops(false); // a drop goes to the window
    shortInfo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    shortInfo_->setUndoRedoEnabled(false);
    // The process page takes the height it wants; the short help gets the rest, and never
    // less than a few lines.
    shortInfo_->setMinimumHeight(shortInfo_->fontMetrics().lineSpacing() * 3 +
                                 2 * shortInfo_->frameWidth() + 4);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(6, 2, 6, 6);
    groupLayout->addWidget(shortInfo_);
    group->setMinimumHeight(group->minimumSizeHint().height());

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(processes_);
    layout->addWidget(group, 1);
    return page;
}

void TForm1::ConnectControls() {
    connect(steps_, &WrapTabs::CurrentChanged, this, &TForm1::StepChanged);
    // Ctrl+Tab and Ctrl+Shift+Tab move between the steps from any control, as in every
    // tabbed window.
    auto* nextStep = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextStep, &QShortcut::activated, steps_, [this] { steps_->ShowNeighbour(1); });
    auto* previousStep = new QShortcut(this);
    previousStep->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    connect(previousStep, &QShortcut::activated, steps_, [this] { steps_->ShowNeighbour(-1); });
    connect(processes_->Tabs(), &WrapTabs::CurrentChanged, this, &TForm1::ProcessChanged);
    connect(processes_->FilenameTag()->SubMethods(), &WrapTabs::CurrentChanged, this,
            &TForm1::SubMethodChanged);
    connect(processes_, &ProcessPages::StoredListChanged, this, &TForm1::SaveSettingsGuarded);
    connect(files_, &FileSelectionPage::PresetsChanged, this, &TForm1::SaveSettingsGuarded);
    connect(execute_->ExecuteButton(), &QAbstractButton::clicked, this, &TForm1::Execute);
    connect(execute_->PreviewButton(), &QAbstractButton::clicked, this, &TForm1::Preview);
    // From any step, as the button's hint is only seen on the last.
    auto* preview = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(preview, &QShortcut::activated, this, &TForm1::Preview);
    connect(execute_->SaveStatusButton(), &QAbstractButton::clicked, this, &TForm1::SaveStatusBox);
    connect(execute_->UndoButton(), &QAbstractButton::clicked, this, &TForm1::UndoLastRun);
    // Ctrl+Z from anywhere in the window; an edit box that has typing to take back takes it.
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undo, &QShortcut::activated, this, &TForm1::UndoLastRun);
    connect(execute_->OptionsButton(), &QAbstractButton::clicked, this, [this] {
        if (options_)
            RunGuarded(this, [this] { options_->exec(); });
    });
    connect(execute_->AboutButton(), &QAbstractButton::clicked, this, [this] {
        if (about_) {
            about_->ShowSettingsPath(settingsFile_.path);
            RunGuarded(this, [this] { about_->exec(); });
        }
    });
}

void TForm1::AttachDialogs(TForm2* query, TForm3* about, TForm4* options) {
    query_ = query;
    about_ = about;
    options_ = options;
    processes_->Tag()->AttachQueryDialog(query);
    if (options_) {
        connect(options_, &TForm4::Closed, this, [this] {
            files_->SetTagCodec(options_->Options().codec);
            SaveSettingsGuarded();
        });
        connect(options_, &TForm4::GuessRequested, this, &TForm1::GuessCodePage);
    }
}

const QComboBox& TForm1::GenreList() const {
    return *processes_->Tag()->GenreList();
}

void TForm1::LoadSettings() {
    // A settings file the program refuses to read (one too large) is reported, and the
    // program starts as without one.
    Settings settings = DefaultSettings();
    RunGuarded(this, [&] { settings = vantuke::LoadSettings(settingsFile_.path); });
    ApplySettings(settings,
                  SettingsControls{*files_, *processes_, *execute_->ClearStatusBox(), options_});
    ApplyLayout(settings.window);
}

void TForm1::ApplyLayout(const WindowLayout& layout) {
    storedLayout_ = layout;
    files_->SetLayout(layout);
    if (!layout.HasPlace() || isVisible())
        return;
    QRect place(layout.left, layout.top, layout.width, layout.height);
    const QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen) {
        // A screen that is gone (a projector unplugged): the stored size, centred on show.
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            resize(place.size().boundedTo(primary->availableGeometry().size()));
        return;
    }
    place.setSize(place.size().boundedTo(screen->availableGeometry().size()));
    setGeometry(place);
    placed_ = true;
}

WindowLayout TForm1::CurrentLayout() const {
    WindowLayout layout = storedLayout_;
    if (isVisible()) {
        const QRect place = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
        layout.left = place.left();
        layout.top = place.top();
        layout.width = place.width();
        layout.height = place.height();
        layout.maximized = isMaximized();
    }
    files_->CollectLayout(layout);
    return layout;
}

void TForm1::ShowPlaced() {
    if (!placed_) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    if (storedLayout_.maximized)
        showMaximized();
    else
        show();
}

void TForm1::SaveSettings() {
    vantuke::SaveSettings(settingsFile_, CurrentSettings());
}

Settings TForm1::CurrentSettings() const {
    Settings settings = CollectSettings(
        SettingsControls{*files_, *processes_, *execute_->ClearStatusBox(), options_});
    settings.window = CurrentLayout();
    return settings;
}

void TForm1::GuessCodePage() {
    if (!options_)
        return;
    const QStringList paths = files_->Selection().Entries();
    std::optional<CodePageGuess> guess;
    if (!RunGuarded(options_, [&] {
            const BusyScope busy(options_);
            guess = GuessCodePageOf(paths);
        }))
        return;
    CodePageGuessDialog dialog(*guess, int(paths.size()), options_);
    if (const CodePage* chosen = guessDialogRunner_(dialog))
        options_->SetCodePage(*chosen);
}

void TForm1::SaveSettingsGuarded() {
    RunGuarded(this, [this] { SaveSettings(); });
}

void TForm1::ShowShortInfo() {
    QStringList lines{ProcessSelectedLine(processes_->CurrentProcess())};
    lines += ShortInfoLines(processes_->CurrentProcess());
    shortInfo_->setPlainText(lines.join(QLatin1Char('\n')));
}

void TForm1::AppendStatusLine(const QString& line) {
    AppendStatusText(*execute_->StatusBox(), line);
}

void TForm1::ClearStatusIfAsked() {
    if (execute_->ClearStatusBox()->isChecked())
        execute_->StatusBox()->clear();
}

void TForm1::ProcessChanged() {
    ClearStatusIfAsked();
    AppendStatusLine(ProcessSelectedLine(processes_->CurrentProcess()));
    ShowShortInfo();
}

void TForm1::SubMethodChanged(int index) {
    if (execute_->ClearStatusBox()->isChecked()) {
        execute_->StatusBox()->clear();
        AppendStatusLine(ProcessSelectedLine(processes_->CurrentProcess()));
    }
    AppendStatusLine(QStringLiteral("Sub-Method selected: ") +
                     processes_->FilenameTag()->SubMethods()->Caption(index));
}

void TForm1::StepChanged(int index) {
    if (index == kStepProcess)
        ShowShortInfo();
}

QStringList TForm1::StatusLines() const {
    return vantuke::StatusLines(*execute_->StatusBox());
}

void TForm1::SaveStatusBox() {
    RunGuarded(this, [this] {
        QFileDialog dialog(this);
        ConfigureStatusFileDialog(dialog);
        const QString path = fileDialogRunner_(dialog);
        if (path.isEmpty())
            return;
        if (!WriteStatusFile(path, StatusLines()))
            ShowErrorBox(this, QStringLiteral("Cannot create file ") + path);
    });
}

bool TForm1::event(QEvent* event) {
    // The layout has just been worked out again (another step or page shown, a font
    // changed): so has the room the window needs.
    if (event->type() == QEvent::LayoutRequest)
        KeepMinimumSize();
    return QWidget::event(event);
}

void TForm1::KeepMinimumSize() {
    // A layout's minimum counts each wrapping tab bar as one row; at the window's narrowest
    // the bars need all their rows, and the pages under them their own minimum besides.
    QLayout* content = layout();
    QSize smallest = content->totalMinimumSize();
    if (content->hasHeightForWidth())
        smallest.setHeight(
            std::max(smallest.height(), content->totalMinimumHeightForWidth(smallest.width())));
    setMinimumSize(smallest);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!running_ && !DraggedPaths(event->mimeData()).isEmpty())
        TakeAsCopy(event);
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = DraggedPaths(event->mimeData());
    if (running_ || paths.isEmpty() || !TakeAsCopy(event))
        return;
    // The new entries show where they went.
    steps_->SetCurrentIndex(kStepFiles);
    files_->AddPaths(paths);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A run cannot be left half-way; the window closes once it has ended.
    if (running_) {
        event->ignore();
        return;
    }
    SaveSettingsGuarded();
    event->accept();
}

} // namespace vantuke
