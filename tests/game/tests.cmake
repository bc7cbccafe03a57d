# The Game initialiser with a collection and data-heap compaction at every allocation: every table
# it builds must stay reachable while the next one is allocated.
add_test(NAME GameStatics.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=GameStaticsTest.*)
set_tests_properties(GameStatics.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# The glow and the perspective plane keep offsets into the shared pixel buffers, never element
# pointers across an allocation: checked with a collection and compaction at every allocation.
add_test(NAME GamePaint.GlowAndPlaneUnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=PaintEffects.Glow*:Plane.*:PaintEffects.Filter*)
set_tests_properties(GamePaint.GlowAndPlaneUnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# The region view and the gameplay paint read the band, region and output buffers by index
# after every pixel read: the same stress.
add_test(NAME GamePaint.RegionViewUnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=RegionView.*:GameplayPaint.*)
set_tests_properties(GamePaint.RegionViewUnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# Objects, their parameter growers and the saves with a collection at every allocation: no
# element pointer may be held across one, and every image and table must stay reachable.
add_test(NAME GameObjectsAndSaves.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=CObjectTest.*:SaveGamesTest.*:ObjectListsTest.*)
set_tests_properties(GameObjectsAndSaves.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# The loader and the start-up under the same stress: the sprites, instances, text tables and
# scripts they build stay reachable while the next allocation collects and compacts.
add_test(NAME GameLoading.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=LoaderTest.*:StartupTest.*)
set_tests_properties(GameLoading.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# The sprite slot tables under the same stress: the interface sprite's fresh caches and the marks
# are allocated while the sprite and the tables are held.
add_test(NAME GameSpriteSlots.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=SpriteMarksTest.*:SpriteSetPlanTest.*:InterfaceSpriteTest.*)
set_tests_properties(GameSpriteSlots.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# Motion, animation choices and movement toward targets: sprites and layers stay reachable while
# the next allocation collects.
add_test(NAME GameMotion.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=MotionTest.*:MoveToTest.*:ApproachTest.*:AnimationTest.*:PlayerAnimationTest.*:ActorUpdateTest.*)
set_tests_properties(GameMotion.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# The definitions reader allocates records and instances while it walks the set's bytes: it
# indexes them on every read, checked with a collection and compaction at every allocation.
add_test(NAME GameLayouts.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=LayoutTest.TheLayoutAction*:LayoutTest.LevelSprites*:MenuPaintTest.*)
set_tests_properties(GameLayouts.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# The factories allocate several arrays in a row and the route finder its node arrays: checked
# with a collection and compaction at every allocation.
add_test(NAME GameFactoriesAndRoutes.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=ObjectFactoriesTest.*:PathFindingTest.*:LayerSlotsTest.*:PoolSlotsTest.*:PartPathsTest.*)
set_tests_properties(GameFactoriesAndRoutes.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# Cinematics and level linking with a collection and compaction at every allocation: the block is
# rewritten in place and read by offset, and made actors and speaker rows stay reachable.
add_test(NAME GameCinematics.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=CinematicsTest.*:LevelLinkingTest.*:CinematicLoadingTest.*)
set_tests_properties(GameCinematics.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 120)

# The object painters, the interaction passes and the debug painters under the same stress: the
# instances, rectangles and labels they make while painting stay reachable.
add_test(NAME GameObjectPainters.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=KindPaintersTest.*:InteractionTest.*:DebugPaintersTest.*)
set_tests_properties(GameObjectPainters.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
