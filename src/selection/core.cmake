add_library(vantuke_selection STATIC
    Playlist.cpp
    SelectedFiles.cpp
)
target_link_libraries(vantuke_selection PUBLIC vantuke_settings vantuke_platform Qt6::Core)
target_link_libraries(vantuke_core INTERFACE vantuke_selection)
