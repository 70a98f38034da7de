add_library(vantuke_settings STATIC
    IniFile.cpp
    BuiltInPresets.cpp
    Settings.cpp
)
# The option structs it stores are header-only; it needs no other library's code.
target_link_libraries(vantuke_settings PUBLIC vantuke_platform Qt6::Core)
target_link_libraries(vantuke_core INTERFACE vantuke_settings)
