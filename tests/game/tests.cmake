# The Game initialiser with a collection and data-heap compaction at every allocation: every table
# it builds must stay reachable while the next one is allocated.
add_test(NAME GameStatics.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=GameStaticsTest.*)
set_tests_properties(GameStatics.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# The loader and the start-up under the same stress: the sprites, instances, text tables and
# scripts they build stay reachable while the next allocation collects and compacts.
add_test(NAME GameLoading.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=LoaderTest.*:StartupTest.*)
set_tests_properties(GameLoading.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
