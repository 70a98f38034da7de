vantuke_add_test(batch_core_test
    SOURCES
        ExecuteBatchTest.cpp
        ProcessStepsTest.cpp
        TagFillTest.cpp
        FileChangesTest.cpp
        DryRunTest.cpp
        PlanTest.cpp
    LIBS vantuke_batch)
