# The Image, Graphics and Font classes once more with a collection and compaction at every
# allocation: they must re-read array and string data after each allocation.
add_test(NAME LcduiClasses.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=ImageTest.*:GraphicsTest.*:FontTest.*)
set_tests_properties(LcduiClasses.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# Files, archive entries, connections and record stores under the same stress: the natives copy
# into and out of arrays and build the archive index between allocations.
add_test(NAME FileClasses.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}>
                 --gtest_filter=FileTest.*:ResourceArchiveTest.*:ConnectorTest.*:RecordStoreTest.*:RecordStoreRuns.*)
set_tests_properties(FileClasses.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
