vantuke_add_test(options_dialog_test SOURCES OptionsDialogTest.cpp
    LIBS vantuke_settings_widgets vantuke_dialog_test_tools WIDGETS)
