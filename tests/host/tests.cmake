# The SDL window tests once more on a real X server: Xvfb started by xvfb-run, the x11 driver
# required (a window that cannot open fails instead of skipping). The GL and D-Bus libraries that
# SDL loads there keep allocations past their unloading, which the leak checker would blame on us;
# our own leaks are checked by the offscreen runs of the same tests.
# xvfb-run -a can pick the display number another run is taking: one X server at a time.
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN)
  add_test(NAME SdlWindowTest.OnXvfb
           COMMAND ${XVFB_RUN} -a -s "-screen 0 1920x1080x24"
                   $<TARGET_FILE:${name}> --gtest_filter=SdlWindowTest.*)
  set_tests_properties(SdlWindowTest.OnXvfb PROPERTIES
                       ENVIRONMENT "VELTRANO_TEST_VIDEO=x11;ASAN_OPTIONS=detect_leaks=0" LABELS ${name} RESOURCE_LOCK xvfb TIMEOUT 60)
endif()

# The window's cross-thread paths (posting, presenting from the game thread, the instance lock's
# listener) under the thread sanitizer too.
add_test(NAME WindowThreads.CrossThreadPaths
         COMMAND $<TARGET_FILE:${name}>
                 --gtest_filter=WindowQueue.Posting*:WindowQueue.PresentsFrom*:WindowQueue.Minimising*:InstanceLockTest.*:ScriptedInputTest.AFixedStep*)
set_tests_properties(WindowThreads.CrossThreadPaths PROPERTIES LABELS "${name};tsan" TIMEOUT 60)

# The audio callback thread, the output threads and the media graphs under the thread sanitizer.
# FluidSynth loads SoundFonts on an OpenMP pool, whose uninstrumented locking the sanitizer cannot
# see; one OpenMP thread keeps it out of the picture.
add_test(NAME AudioThreads.CallbacksAndGraphs
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=WaveOutTest.*:MediaGraphTest.*:AudioBackends.*:PacedSink.*:AudioPacing.*)
set_tests_properties(AudioThreads.CallbacksAndGraphs PROPERTIES
                     ENVIRONMENT "OMP_NUM_THREADS=1" LABELS "${name};tsan" TIMEOUT 120)

# Thread creation, suspension, self-suspension and joining under the thread sanitizer too.
add_test(NAME HostThreads.SuspendAndResume COMMAND $<TARGET_FILE:${name}> --gtest_filter=Thread*)
set_tests_properties(HostThreads.SuspendAndResume PROPERTIES LABELS "${name};tsan" TIMEOUT 120)

# What counts as a held lock for the stopper of the world (critical sections, scopes, owner
# gates' brackets) under the thread sanitizer too.
add_test(NAME HostLocks.HeldLocks COMMAND $<TARGET_FILE:${name}> --gtest_filter=HeldLocksTest.*)
set_tests_properties(HostLocks.HeldLocks PROPERTIES LABELS "${name};tsan" TIMEOUT 60)
