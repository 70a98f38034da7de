vantuke_add_test(vantuke_filelist_tests
    SOURCES FileListTest.cpp DirTreeRootsTest.cpp
    LIBS vantuke_filelist)

vantuke_add_test(vantuke_selection_widget_tests
    SOURCES DirTreeTest.cpp FileSelectionPageTest.cpp
    LIBS vantuke_selection_widgets
    WIDGETS)
