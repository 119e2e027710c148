# Test helpers shared by every folder's tests.
#
#   zelmor_test(name SOURCES ... LIBS ...)      display-free GoogleTest executable
#   zelmor_gui_test(name SOURCES ... LIBS ...)  GoogleTest executable that runs the
#       real program start-up in-process; every test case runs in its own process
#       under its own private Xvfb (label "gui").
#   zelmor_e2e_test(name [LAB] SOURCES ... LIBS ... [TIMEOUT s] [SCREEN WxHxD])
#       the real program started by the test (tests/support/launch.h) under a
#       private Xvfb (of 1280x1024x24 unless SCREEN says otherwise);
#       ZELMOR_BINARY names zelmor, and with LAB ZELMOR_LAB_BINARY zelmor-lab.
include_guard(GLOBAL)
include(GoogleTest)
find_package(GTest REQUIRED)

set(ZELMOR_XVFB_LAUNCHER "${CMAKE_SOURCE_DIR}/tests/support/with-xvfb.sh")

function(zelmor_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set(labels unit ${T_LABELS})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT 300)
endfunction()

function(zelmor_gui_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE zelmor_gui_harness ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ZELMOR_XVFB_LAUNCHER}")
  set(labels gui ${T_LABELS})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" SKIP_RETURN_CODE 77 TIMEOUT 300)
endfunction()

function(zelmor_e2e_test name)
  cmake_parse_arguments(T "LAB" "TIMEOUT;SCREEN" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE zelmor_launch ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ZELMOR_BINARY="$<TARGET_FILE:zelmor>")
  add_dependencies(${name} zelmor)
  if(T_LAB)
    target_compile_definitions(${name} PRIVATE ZELMOR_LAB_BINARY="$<TARGET_FILE:zelmor-lab>")
    add_dependencies(${name} zelmor-lab)
  endif()
  add_test(NAME ${name} COMMAND ${ZELMOR_XVFB_LAUNCHER} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS "gui;e2e;${T_LABELS}" SKIP_RETURN_CODE 77
                       TIMEOUT ${T_TIMEOUT})
  if(T_SCREEN)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "ZELMOR_XVFB_SCREEN=${T_SCREEN}")
  endif()
endfunction()
