# The executable with the stand-in MIDlet that the end-to-end runs start, next to veltrano itself.
add_executable(veltrano_stand_in ${PROJECT_SOURCE_DIR}/tests/support/stand_in_main.cpp
                                 ${PROJECT_SOURCE_DIR}/tests/platform/app/stand_in_midlet.cpp)
target_link_libraries(veltrano_stand_in PRIVATE promo)
# veltrano itself with a stand-in for the game's frame: the MIDlet, the canvas and the game thread
# are the real ones.
add_executable(veltrano_game_stand_in ${PROJECT_SOURCE_DIR}/tests/support/game_stand_in_main.cpp)
target_link_libraries(veltrano_game_stand_in PRIVATE veltrano_wiring)
# veltrano with a test-only level set-up and gameplay step (the player, the HUD and scripted
# events), for the runs that need a level.
add_executable(veltrano_level_stand_in ${PROJECT_SOURCE_DIR}/tests/support/level_stand_in_main.cpp)
target_link_libraries(veltrano_level_stand_in PRIVATE veltrano_wiring)
add_dependencies(${name} veltrano veltrano_stand_in veltrano_game_stand_in)
add_dependencies(${name} veltrano_level_stand_in)
# The game's own runs build the sample data they start on.
target_link_libraries(${name} PRIVATE sample_data)
target_compile_definitions(${name} PRIVATE VELTRANO_EXECUTABLE="$<TARGET_FILE:veltrano>"
                                           VELTRANO_STAND_IN="$<TARGET_FILE:veltrano_stand_in>"
                                           VELTRANO_GAME_STAND_IN="$<TARGET_FILE:veltrano_game_stand_in>")
target_compile_definitions(${name} PRIVATE VELTRANO_LEVEL_STAND_IN="$<TARGET_FILE:veltrano_level_stand_in>")

# The window back end once more on a real X server: Xvfb started by xvfb-run, the x11 driver
# required. SDL's GL and D-Bus libraries keep allocations past their unloading, which the leak
# checker would blame on us; our own leaks are checked by the headless runs.
# xvfb-run -a can pick the display number another run is taking: one X server at a time.
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN)
  add_test(NAME VeltranoWindow.OnXvfb
           COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   $<TARGET_FILE:${name}> --gtest_filter=VeltranoWindow.*)
  set_tests_properties(VeltranoWindow.OnXvfb PROPERTIES
                       ENVIRONMENT "VELTRANO_TEST_VIDEO=x11;ASAN_OPTIONS=detect_leaks=0" LABELS ${name} RESOURCE_LOCK xvfb TIMEOUT 120)
endif()

# The UI and game threads meeting in the runs (paints from both, presents, pause and resume, the
# stop of the game thread at shutdown) under the thread sanitizer too.
add_test(NAME ShellThreads.EndToEnd COMMAND $<TARGET_FILE:${name}> --gtest_filter=VeltranoRun.*)
set_tests_properties(ShellThreads.EndToEnd PROPERTIES LABELS "${name};tsan" TIMEOUT 300)

# The game thread of veltrano's own canvas against the UI thread (pause and resume repaints, the
# loop's end by an exception) under the thread sanitizer too.
add_test(NAME GameThreads.EndToEnd COMMAND $<TARGET_FILE:${name}> --gtest_filter=VeltranoGame.*)
set_tests_properties(GameThreads.EndToEnd PROPERTIES LABELS "${name};tsan" TIMEOUT 300)

# The game's start-up on the sample data with pen events from the UI thread, under the thread
# sanitizer too.
add_test(NAME GameStart.EndToEnd COMMAND $<TARGET_FILE:${name}> --gtest_filter=VeltranoStart.*)
set_tests_properties(GameStart.EndToEnd PROPERTIES LABELS "${name};tsan" TIMEOUT 300)

# The menus on the sample data with its sounds loaded and played (the game thread's requests
# against the mixer's thread), under the thread sanitizer too.
add_test(NAME MenuSounds.EndToEnd COMMAND $<TARGET_FILE:${name}> --gtest_filter=VeltranoMenus.*)
set_tests_properties(MenuSounds.EndToEnd PROPERTIES LABELS "${name};tsan" TIMEOUT 300)

# The sample data's tunes start FluidSynth, whose OpenMP runtime (not built for the sanitizer)
# would otherwise report its own barriers as races: one OpenMP thread in the game runs.
set_tests_properties(GameStart.EndToEnd MenuSounds.EndToEnd PROPERTIES ENVIRONMENT "OMP_NUM_THREADS=1")
