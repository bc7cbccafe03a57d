# The array, string and number tests once more with a collection and data-heap compaction at
# every allocation, so that any pointer to characters or elements held across one shows up.
add_test(NAME runtime_text_gc_stress
         COMMAND ${name} --gtest_filter=Arrays.*:Strings.*:StringBuffers.*:SystemNatives.*:Numbers.*:TextVsJdk.*)
set_tests_properties(runtime_text_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)

# The statics, string constants and java.lang classes under the same stress.
add_test(NAME runtime_lang_gc_stress
         COMMAND ${name} --gtest_filter=StaticStore.*:Constants.*:LangClasses.*:WithoutConstants.*:CaseRules.*:LangVsJdk.*)
set_tests_properties(runtime_lang_gc_stress PROPERTIES ENVIRONMENT MRC_GC_STRESS=1 LABELS "${name}" TIMEOUT 120)
