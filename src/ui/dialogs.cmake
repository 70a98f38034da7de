# The About box and the URL label.
add_library(vantuke_dialogs STATIC About.cpp UrlLabel.cpp)
target_include_directories(vantuke_dialogs PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(vantuke_dialogs PUBLIC Qt6::Widgets)
target_compile_definitions(vantuke_dialogs PRIVATE VANTUKE_VERSION="${PROJECT_VERSION}"
                           PUBLIC VANTUKE_HOME_PAGE="${VANTUKE_HOME_PAGE}")
target_link_libraries(vantuke_widgets INTERFACE vantuke_dialogs)
