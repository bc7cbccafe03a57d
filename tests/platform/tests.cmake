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

# The media Manager and the audio clip, which make arrays, strings and streams, under the same
# stress; the wave driver's callbacks and the MIDI loop threads under the thread sanitizer (one
# OpenMP thread for FluidSynth, as in the host's audio tests).
add_test(NAME Media.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=ManagerTest.*:AudioClipTest.*)
set_tests_properties(Media.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
add_test(NAME MediaThreads.CallbacksAndLoopThreads
         COMMAND $<TARGET_FILE:${name}> --gtest_filter=WavePlayerTest.*:DShowPlayerTest.*)
set_tests_properties(MediaThreads.CallbacksAndLoopThreads PROPERTIES
                     ENVIRONMENT "OMP_NUM_THREADS=1" LABELS "${name};tsan" TIMEOUT 120)

# The connections under the same stress (they copy between arrays and native buffers around
# blocking calls), and with their threads (busy indicator, loopback servers) under the thread
# sanitizer.
add_test(NAME Connections.UnderCollectionStress
         COMMAND $<TARGET_FILE:${name}>
                 --gtest_filter=HttpConnectionTest.*:ConnectionUrlTest.*:BusyIndicatorTest.*:SocketConnectionTest.*:SocketClientTest.*)
set_tests_properties(Connections.UnderCollectionStress PROPERTIES
                     ENVIRONMENT "MRC_GC_STRESS=1" LABELS ${name} TIMEOUT 60)
add_test(NAME ConnectionThreads.IndicatorServersAndSockets
         COMMAND $<TARGET_FILE:${name}>
                 --gtest_filter=HttpConnectionTest.*:BusyIndicatorTest.*:SocketConnectionTest.*:SocketClientTest.*)
set_tests_properties(ConnectionThreads.IndicatorServersAndSockets PROPERTIES LABELS "${name};tsan" TIMEOUT 120)
