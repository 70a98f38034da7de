# Helpers for dialog suites here and in tests/batch and tests/settings: answering a modal
# dialog from the test, and checking a window's layout for cut-off controls.
add_library(vantuke_dialog_test_tools STATIC LayoutCheck.cpp ModalAnswer.cpp)
target_link_libraries(vantuke_dialog_test_tools PUBLIC vantuke_test_support Qt6::Widgets GTest::gtest)

vantuke_add_test(dialogs_test SOURCES UrlLabelTest.cpp AboutTest.cpp
    LIBS vantuke_dialogs vantuke_dialog_test_tools WIDGETS)
