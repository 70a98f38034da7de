vantuke_add_test(journal_test
    SOURCES
        JournalFormatTest.cpp
        RunUndoTest.cpp
        FolderState.cpp
    LIBS vantuke_batch)

# vantuke-cli run as a program: history, undo, and a run killed in its middle.
vantuke_add_test(journal_cli_test SOURCES HistoryCliTest.cpp FolderState.cpp LIBS vantuke_journal)
add_dependencies(journal_cli_test vantuke-cli vantuke_fault_shim)
target_compile_definitions(journal_cli_test PRIVATE
    VANTUKE_FAULT_SHIM="$<TARGET_FILE:vantuke_fault_shim>")
