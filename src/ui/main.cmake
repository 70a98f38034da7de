# The main window TForm1 with its pages, and the program's windows in start-up order.
add_library(vantuke_mainwindow STATIC
    AdjustPage.cpp
    ExecutePage.cpp
    FilenameTagPage.cpp
    FlowLayout.cpp
    Glyphs.cpp
    InfoGroup.cpp
    InputBlocker.cpp
    MainWindow.cpp
    MainWindowRun.cpp
    PresetBox.cpp
    PreviewDialog.cpp
    ProcessPages.cpp
    ProgramWindows.cpp
    SettingsBinding.cpp
    ShortInfo.cpp
    StatusFile.cpp
    TagPage.cpp
    WindowBatchHost.cpp
    WrapTabs.cpp
)
target_link_libraries(vantuke_mainwindow PUBLIC
    vantuke_core
    vantuke_guard
    vantuke_batch_widgets
    vantuke_settings_widgets
    vantuke_dialogs
    vantuke_selection_widgets
    Qt6::Widgets
)
target_link_libraries(vantuke_widgets INTERFACE vantuke_mainwindow)

# "Preview" figures for bench/dry-run-bench: the window's button to the dialog painted.
add_executable(vantuke-preview-bench ${PROJECT_SOURCE_DIR}/bench/preview_bench.cpp)
target_link_libraries(vantuke-preview-bench PRIVATE vantuke_mainwindow)
