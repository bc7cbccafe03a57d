# The array, string and number tests once more with a collection and data-heap compaction at
# every allocation, so that any pointer to characters or elements held across one shows up.
add_test(NAME runtime_text_gc_stress
         COMMAND ${name} --gtest_filter=Arrays.*:Strings.*:StringBuffers.*:SystemNatives.*:Numbers.*:TextVsJdk.*)
set_tests_properties(runtime_text_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)

# The statics, string constants and java.lang classes under the same stress.
add_test(NAME runtime_lang_gc_stress
         COMMAND ${name} --gtest_filter=StaticStore.*:Constants.*:LangClasses.*:WithoutConstants.*:CaseRules.*:LangVsJdk.*:ThreadJava.*)
set_tests_properties(runtime_lang_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)

# The java.io streams and java.util collections under the same stress, and their synchronized
# operations from several threads under the thread sanitizer too.
add_test(NAME runtime_library_gc_stress
         COMMAND ${name} --gtest_filter=ByteArrayStreams.*:StreamDefaults.*:DataStreams.*:PrintStreams.*:Vectors.*:Stacks.*:Hashtables.*:Randoms.*:LibraryVsJdk.*:*LibraryThreads*)
set_tests_properties(runtime_library_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)
add_test(NAME runtime_library_threads COMMAND ${name} --gtest_filter=*LibraryThreads*)
set_tests_properties(runtime_library_threads PROPERTIES LABELS "${name};tsan" TIMEOUT 120)

# Java threads, monitors and the stops of the world, in the cooperative and the suspend mode,
# with the four-thread stress test; under the thread sanitizer too.
add_test(NAME runtime_threads
         COMMAND ${name} --gtest_filter=Modes/Threads.*:SleepParking.*:Modes/Monitors.*:Modes/StopWorld.*:Modes/Stress.*:Modes/FullDataHeap.*)
set_tests_properties(runtime_threads PROPERTIES LABELS "${name}" TIMEOUT 300)
# Threads and monitors under collection stress too, so that the monitor code meets collections
# and moved data. The stop-the-world tests make their own stops; with a stop at every allocation
# of three threads, a fourth waits its turn for minutes.
add_test(NAME runtime_threads_gc_stress
         COMMAND ${name} --gtest_filter=Modes/Threads.*:SleepParking.*:Modes/Monitors.*:Modes/FullDataHeap.*)
set_tests_properties(runtime_threads_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 300)
# The same under the thread sanitizer, in the cooperative mode. Its runtime delivers a signal only
# at the target's next intercepted call and drops some under load, so the suspend mode (a signal per
# stop) is left to the other builds, which run every mode.
add_test(NAME runtime_threads_tsan
         COMMAND ${name} --gtest_filter=Modes/Threads.*:SleepParking.*:Modes/Monitors.*:Modes/StopWorld.*:Modes/Stress.*:Modes/FullDataHeap.*:-*SuspendMode*:*RapidStops*)
set_tests_properties(runtime_threads_tsan PROPERTIES LABELS "${name};tsan" TIMEOUT 300)

# Date, Calendar, TimeZone and the Timer under collection stress; the timer thread, its queue and
# the collections while it waits under the thread sanitizer too.
add_test(NAME runtime_date_timer_gc_stress
         COMMAND ${name} --gtest_filter=Calendars.*:Dates.*:TimeZones.*:Timers.*:TaskQueues.*:Modes/TimerCollection.*)
set_tests_properties(runtime_date_timer_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)
add_test(NAME runtime_timer_threads COMMAND ${name} --gtest_filter=Timers.*:TaskQueues.*:Modes/TimerCollection.*)
set_tests_properties(runtime_timer_threads PROPERTIES LABELS "${name};tsan" TIMEOUT 120)

# The heap from several threads, and its first user's path handing over to the lock, under the
# thread sanitizer too.
add_test(NAME runtime_heap_threads COMMAND ${name} --gtest_filter=MemoryManager.Concurrent*:MemoryManager.*Thread)
set_tests_properties(runtime_heap_threads PROPERTIES LABELS "${name};tsan" TIMEOUT 120)

# Objects made by several threads while the registry's first user hands over to its lock, under
# the thread sanitizer too.
add_test(NAME runtime_registry_threads COMMAND ${name} --gtest_filter=Collector.ObjectsOfSeveralThreads*)
set_tests_properties(runtime_registry_threads PROPERTIES LABELS "${name};tsan" TIMEOUT 120)
