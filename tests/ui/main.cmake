# The main window: start-up, tabs, the "TAG" page, presets and the substitution table,
# settings across restarts, "Save status to txt", runs compared with vantuke-cli, and the
# look of every page.
vantuke_add_test(mainwindow_test
    SOURCES
        WindowFixture.cpp
        WindowViews.cpp
        WrapTabsTest.cpp
        StartupAndTabsTest.cpp
        TagPageTest.cpp
        PresetAndTableTest.cpp
        SettingsLifecycleTest.cpp
        WindowRunTest.cpp
        WindowLookTest.cpp
        KeyboardTest.cpp
        TabCaptionsTest.cpp
        ErrorBoxTest.cpp
        PreviewTest.cpp
    LIBS vantuke_mainwindow vantuke_dialog_test_tools
    WIDGETS)
# The runs are compared with the command-line program.
add_dependencies(mainwindow_test vantuke-cli)
