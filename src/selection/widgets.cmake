# The file list's rows and the directory tree's top level, without a window.
add_library(vantuke_filelist STATIC
    NameOrder.cpp
    FileDateText.cpp
    FileList.cpp
    DirTreeRoots.cpp
    FolderFiles.cpp
)
target_link_libraries(vantuke_filelist PUBLIC vantuke_tag Qt6::Core)
target_link_libraries(vantuke_core INTERFACE vantuke_filelist)

# The directory tree control, the file list and the step-1 page.
add_library(vantuke_selection_widgets STATIC
    dirtree.cpp
    FileListModel.cpp
    SelectedFilesModel.cpp
    FileSelectionPage.cpp
    WholeTextDelegate.cpp
)
target_link_libraries(vantuke_selection_widgets
    PUBLIC vantuke_filelist vantuke_selection vantuke_guard Qt6::Widgets)
target_link_libraries(vantuke_widgets INTERFACE vantuke_selection_widgets)

# Step-1 figures for bench/step1-bench: drives the real page on the offscreen platform.
add_executable(vantuke-step1-bench ${PROJECT_SOURCE_DIR}/bench/step1_bench.cpp)
target_link_libraries(vantuke-step1-bench PRIVATE vantuke_selection_widgets)
