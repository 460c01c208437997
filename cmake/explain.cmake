# Explaining a run (explain/): the logic built a second time with its note
# points (explain/explain_note.h), which say why the walk decided what it
# did, and what turns those notes and the simulated platform's record of the
# run into an explanation. ks_logic, which the shipped programs link, has
# no note points: they expand to nothing there.

add_library(ks_explain_notes STATIC explain/explain_notes.cpp)
ksreport_warnings(ks_explain_notes)

add_library(ks_logic_explain STATIC ${KSREPORT_LOGIC_SOURCES})
ksreport_product(ks_logic_explain)
target_compile_definitions(ks_logic_explain PRIVATE KSR_EXPLAIN)
target_link_libraries(ks_logic_explain PUBLIC ks_layout ks_wintypes ks_explain_notes)

# One report run over a simulated machine, with notes.
add_library(ks_simrun_explain STATIC app/sim_run.cpp)
ksreport_warnings(ks_simrun_explain)
target_link_libraries(ks_simrun_explain PUBLIC ks_logic_explain ks_sim)

# The tree of an explained run and its text and JSON views.
add_library(ks_explain STATIC
  explain/explain_tree.cpp
  explain/explain_items.cpp
  explain/explain_words.cpp
  explain/explain_reasons.cpp
  explain/explain_decode.cpp
  explain/explain_offers.cpp
  explain/explain_summary.cpp
  explain/explain_text.cpp
  explain/explain_json.cpp
  explain/explain_run.cpp)
ksreport_warnings(ks_explain)
target_include_directories(ks_explain SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/json-include)
target_link_libraries(ks_explain PUBLIC ks_simrun_explain ks_reader ks_guid_names)

# A program links either ks_logic or ks_logic_explain, never both (they
# define the same routines). The runner takes the one with notes: its plain
# runs write the same report and exit as they would without them.
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
