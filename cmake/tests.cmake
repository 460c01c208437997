# One test binary over the simulated machine; on Windows builds it is
# cross-compiled and, where a runner exists, run under it.
enable_testing()
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB KSREPORT_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*_test.cpp
  ${CMAKE_SOURCE_DIR}/report/*_test.cpp
  ${CMAKE_SOURCE_DIR}/store/*_test.cpp
  ${CMAKE_SOURCE_DIR}/discovery/*_test.cpp
  ${CMAKE_SOURCE_DIR}/kstream/*_test.cpp
  ${CMAKE_SOURCE_DIR}/platform/sim/*_test.cpp)
add_executable(ksreport_tests tests/test.cpp tests/pins.cpp ${KSREPORT_TEST_SOURCES})
ksreport_warnings(ksreport_tests)
target_compile_definitions(ksreport_tests PRIVATE KSREPORT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(ksreport_tests PRIVATE ks_simrun gtest gtest_main)
if(MINGW)
  target_link_options(ksreport_tests PRIVATE -static -static-libgcc -static-libstdc++)
endif()

if(NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME unit COMMAND ksreport_tests)
  add_test(NAME sim_runner COMMAND bash ${CMAKE_SOURCE_DIR}/tests/sim_runner_check.sh
           $<TARGET_FILE:ksreport-sim> ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/sim-out)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set_tests_properties(sim_runner PROPERTIES ENVIRONMENT "KSREPORT_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
endif()

if(WIN32)
  # Size and imports of the shipped program: checked from the file alone.
  add_test(NAME exe_budget COMMAND bash ${CMAKE_SOURCE_DIR}/tests/exe_budget.sh
           $<TARGET_FILE:ksreport> ${CMAKE_OBJDUMP})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME exe_under_wine COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine_exe_checks.sh
             $<TARGET_FILE:ksreport> ${CMAKE_BINARY_DIR}/wine-runs)
    set_tests_properties(exe_under_wine PROPERTIES ENVIRONMENT "KSREPORT_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
endif()
