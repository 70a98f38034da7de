vantuke_add_test(vantuke_settings_tests
    SOURCES IniFileTest.cpp SettingsTest.cpp
    LIBS vantuke_settings)
