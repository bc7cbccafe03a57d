# The canvas tests run the shell in-process, with its stand-in MIDlet's support built in.
target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/platform/app/stand_in_midlet.cpp)

# The pack reader, the sprite engine, the tile layers and the text engine once more with a
# collection and data-heap compaction at every allocation: loading, caching, the effects and the
# layout tables must re-read array data after each one.
add_test(NAME FrameworkSprites.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=ResourcePacks.*:Sprite*.*:ScreenBlends.*:TileLayers.*:TextEngine.*)
set_tests_properties(FrameworkSprites.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# Key events from the UI thread against the game thread's snapshots.
add_test(NAME FrameworkInput.UiEventsAgainstFrames
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=KeyInput.*)
set_tests_properties(FrameworkInput.UiEventsAgainstFrames PROPERTIES LABELS "${name};tsan" TIMEOUT 60)

# The sound reader and manager with a collection at every allocation: slots, tables and players
# must stay reachable through their fields and statics while the pack loads.
add_test(NAME FrameworkSound.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=Sound*.*)
set_tests_properties(FrameworkSound.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)

# The canvas's game thread against the UI thread: key events against the frames, pause and resume
# repaints, the loop's end; also under the thread sanitizer.
add_test(NAME FrameworkCanvas.UiThreadAgainstFrames
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=CanvasKeyThreads.*:GameCanvas*.*)
set_tests_properties(FrameworkCanvas.UiThreadAgainstFrames PROPERTIES LABELS "${name};tsan" TIMEOUT 60)

# The sound channels' own thread draining the rings against the game thread's queueing; also
# under the thread sanitizer.
add_test(NAME FrameworkSound.ChannelThread
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=SoundChannels.*)
set_tests_properties(FrameworkSound.ChannelThread PROPERTIES LABELS "${name};tsan" TIMEOUT 60)
