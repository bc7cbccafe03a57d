# The pack reader, the sprite engine and the tile layers once more with a collection and data-heap
# compaction at every allocation: loading, caching and the effects must re-read array data after
# each one.
add_test(NAME FrameworkSprites.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=ResourcePacks.*:Sprite*.*:ScreenBlends.*:TileLayers.*)
set_tests_properties(FrameworkSprites.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
