vantuke_add_test(id3tagquery_test SOURCES ID3TagQueryTest.cpp
    LIBS vantuke_batch_widgets vantuke_dialog_test_tools WIDGETS)
