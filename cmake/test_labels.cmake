# Every test carries one of four labels, so that a set can be run alone
# (`ctest -L fast`, `-L wine`, `-L wine32`, `-L slow`; docs/testing.md):
#   wine32  the i686 programs under the private 32-bit Wine (set where the
#           tests are declared)
#   wine    the x86_64 programs under the host's Wine
#   slow    native tests of more than about half a minute
#   fast    the rest: native, each a few seconds at most
get_directory_property(ksreport_all_tests TESTS)
set(ksreport_slow_tests explain_cli static_analysis)
# Checks of the built files that run no program of theirs.
set(ksreport_file_checks exe_budget capture_exe_budget product_no_heap static_analysis)
foreach(test ${ksreport_all_tests})
  get_test_property(${test} LABELS labels)
  if(labels MATCHES "wine32")
    continue()
  elseif(CMAKE_CROSSCOMPILING AND NOT test IN_LIST ksreport_file_checks)
    set_property(TEST ${test} APPEND PROPERTY LABELS wine)
  elseif(test IN_LIST ksreport_slow_tests)
    set_property(TEST ${test} APPEND PROPERTY LABELS slow)
  else()
    set_property(TEST ${test} APPEND PROPERTY LABELS fast)
  endif()
endforeach()
