# The capture program: the same report run as ksreport.exe, with a recorder
# between the logic and the platform (capture/): it replaces entries of the
# table of the platform's calls with its own, which record every answer of
# the entries they replaced, then writes a machine file beside the report.
# Over the Windows forwarders it is ksreport-capture.exe, over the simulated
# machine ksreport-capture-sim. ksreport.exe links none of it.

# What a capture keeps and how it is written: no platform calls, so the
# tests link it too.
add_library(ks_capture_model STATIC
  capture/capture_memory.cpp
  capture/capture_record.cpp
  capture/capture_json.cpp)
ksreport_product(ks_capture_model)
target_link_libraries(ks_capture_model PUBLIC ks_wintypes)

add_library(ks_capture_layer STATIC capture/capture_layer.cpp capture/capture_file.cpp)
ksreport_product(ks_capture_layer)
target_link_libraries(ks_capture_layer PUBLIC ks_capture_model ks_writer)

add_executable(ksreport-capture-sim capture/capture_sim_main.cpp)
ksreport_warnings(ksreport-capture-sim)
target_link_libraries(ksreport-capture-sim PRIVATE ks_simrun ks_capture_layer)

if(WIN32)
  add_executable(ksreport-capture capture/capture_main.cpp)
  ksreport_windows_resource(ksreport-capture
    "ksreport-capture - records a machine's kernel-streaming audio answers")
  ksreport_product(ksreport-capture)
  target_link_libraries(ksreport-capture PRIVATE ks_logic ks_capture_layer ks_win32)
  ksreport_static_runtime(ksreport-capture -s)
  ksreport_static_runtime(ksreport-capture-sim)
endif()
