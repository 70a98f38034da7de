# The Options dialog.
add_library(vantuke_settings_widgets STATIC options.cpp)
target_link_libraries(vantuke_settings_widgets PUBLIC vantuke_convert Qt6::Widgets)
target_link_libraries(vantuke_widgets INTERFACE vantuke_settings_widgets)
