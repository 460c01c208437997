# Explaining a run (explain/): the note observer, which keeps the notes the
# logic makes at its note points (report/note.h), and what turns those notes
# and the simulated platform's record of the run into an explanation.

add_library(ks_explain STATIC
  explain/explain_recorder.cpp
  explain/explain_tree.cpp
  explain/explain_items.cpp
  explain/explain_words.cpp
  explain/explain_reasons.cpp
  explain/explain_decode.cpp
  explain/explain_offers.cpp
  explain/explain_summary.cpp
  explain/explain_text.cpp
  explain/explain_json.cpp
  explain/explain_run.cpp
  explain/explain_command.cpp)
ksreport_warnings(ks_explain)
target_include_directories(ks_explain SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/json-include)
target_link_libraries(ks_explain PUBLIC ks_simrun ks_reader ks_guid_names)

target_link_libraries(ksreport-sim PRIVATE ks_explain)

# ksreport-read --explain FILE explains a machine file.
target_link_libraries(ksreport-read PRIVATE ks_explain)

# Fuzzing the explanation of whole hostile machines (scripts/fuzz).
if(KSREPORT_FUZZ)
  add_executable(ksreport_explain_fuzz tests/fuzz/fuzz_explain.cpp tests/fuzz/machine_codec.cpp
    tests/explain_listing.cpp)
  ksreport_warnings(ksreport_explain_fuzz)
  target_include_directories(ksreport_explain_fuzz SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/json-include)
  target_link_libraries(ksreport_explain_fuzz PRIVATE ks_explain)
  target_link_options(ksreport_explain_fuzz PRIVATE -fsanitize=fuzzer)
endif()
