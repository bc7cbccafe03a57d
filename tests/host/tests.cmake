# The SDL window tests once more on a real X server: Xvfb started by xvfb-run, the x11 driver
# required (a window that cannot open fails instead of skipping).
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN)
  add_test(NAME SdlWindowTest.OnXvfb
           COMMAND ${XVFB_RUN} -a -s "-screen 0 1920x1080x24"
                   $<TARGET_FILE:${name}> --gtest_filter=SdlWindowTest.*)
  set_tests_properties(SdlWindowTest.OnXvfb PROPERTIES
                       ENVIRONMENT "VELTRANO_TEST_VIDEO=x11" LABELS ${name} TIMEOUT 60)
endif()
