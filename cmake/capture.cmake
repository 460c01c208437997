# The capture program: the same report run as ksreport.exe, through a layer
# that records every platform answer (capture/), then a machine file beside
# the report. The layer defines the platform operations the logic calls and
# forwards them to an implementation built below it (platform/layer.h):
# the Windows forwarders for ksreport-capture.exe, the simulated machine
# for ksreport-capture-sim. ksreport.exe links none of it.

# What a capture keeps and how it is written: no platform calls, so the
# tests link it too.
add_library(ks_capture_model STATIC
  capture/capture_store.cpp
  capture/capture_record.cpp
  capture/capture_json.cpp)
ksreport_product(ks_capture_model)
target_link_libraries(ks_capture_model PUBLIC ks_wintypes)

add_library(ks_capture_layer STATIC capture/capture_layer.cpp capture/capture_file.cpp)
ksreport_product(ks_capture_layer)
target_link_libraries(ks_capture_layer PUBLIC ks_capture_model ks_writer)

ksreport_sim_library(ks_sim_below)
target_compile_definitions(ks_sim_below PRIVATE KSR_PLATFORM_BELOW)

# The runner's run (runner/sim_run.cpp) makes no platform call of its own, so
# it is built in here over the recorder rather than linked from ks_simrun,
# which brings the simulated platform as the logic's own.
add_executable(ksreport-capture-sim capture/capture_sim_main.cpp runner/sim_run.cpp)
ksreport_warnings(ksreport-capture-sim)
target_link_libraries(ksreport-capture-sim PRIVATE ks_logic ks_capture_layer ks_sim_below)

if(WIN32)
  ksreport_win32_library(ks_win32_below)
  target_compile_definitions(ks_win32_below PRIVATE KSR_PLATFORM_BELOW)
  add_executable(ksreport-capture capture/capture_main.cpp)
  ksreport_windows_resource(ksreport-capture
    "ksreport-capture - records a machine's kernel-streaming audio answers")
  ksreport_product(ksreport-capture)
  target_link_libraries(ksreport-capture PRIVATE ks_logic ks_capture_layer ks_win32_below)
  ksreport_static_runtime(ksreport-capture -s)
  ksreport_static_runtime(ksreport-capture-sim)
endif()
