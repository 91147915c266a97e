# kelvatron_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [NO_QT])
# Every test program runs under the one test main of tests/support, headless;
# NO_QT gives code that needs no Qt GoogleTest's own main instead, so the
# ThreadSanitizer build checks it without Qt's threads. LABELS default to "fast". Slow end-to-end tests
# carry the label "e2e" so the everyday loop can leave them out (ctest -LE e2e).
# Tests that start threads of their own (the timer worker, a button's fade,
# the serial port's event thread, child processes of the office) also carry
# "threads": the ThreadSanitizer build runs exactly those, and builds them
# through the target kelvatron_thread_tests.

set(KELVATRON_TEST_ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen"
    "QT_FATAL_WARNINGS=0"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
    "KELVATRON_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")

add_custom_target(kelvatron_thread_tests)

function(kelvatron_add_test name)
  cmake_parse_arguments(T "NO_QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS fast)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  kelvatron_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock Threads::Threads)
  if(T_NO_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  else()
    # Whole, so a program that brings a main of its own fails to link instead
    # of quietly running without the shared one.
    target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kelvatron_test_support>")
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if("threads" IN_LIST T_LABELS)
    add_dependencies(kelvatron_thread_tests ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_LIST ${name}_TESTS)
  # gtest_discover_tests flattens list values given to PROPERTIES: only the
  # first label and the first variable of the environment would reach the
  # tests. A script that CTest reads after the discovered list sets them whole.
  string(JOIN ";" labels ${T_LABELS})
  string(JOIN ";" environment ${KELVATRON_TEST_ENVIRONMENT})
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(
    WRITE "${script}"
    "if(${name}_TESTS)\n" "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
    "    LABELS [==[${labels}]==]\n" "    TIMEOUT ${T_TIMEOUT}\n"
    "    ENVIRONMENT [==[${environment}]==])\n" "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
