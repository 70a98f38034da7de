vantuke_add_test(vantuke_selection_tests
    SOURCES PlaylistTest.cpp SelectedFilesTest.cpp
    LIBS vantuke_selection)
