find_package(GTest REQUIRED)
include(GoogleTest)

# vantuke_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [WIDGETS])
# WIDGETS: the suite runs inside a QApplication (tests/support/WidgetTestMain.cpp),
# otherwise in tests/support/TestMain.cpp. Both give the suite an undo history of its own.
function(vantuke_add_test name)
    cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vantuke_test_support GTest::gtest GTest::gmock)
    if(ARG_WIDGETS)
        target_link_libraries(${name} PRIVATE vantuke_widget_test_main Qt6::Widgets Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE vantuke_test_main)
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        # One variable per property: the discovered tests' ENVIRONMENT would keep only the
        # first entry of a list.
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "VANTUKE_CLI=set:$<TARGET_FILE:vantuke-cli>")
endfunction()
