# keva_add_library(NAME SOURCES... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A library of one source folder; its headers are included as "<folder>/Header.h".
function(keva_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE keva_compile_settings ${ARG_PRIVATE_LIBS})
endfunction()

# What every test program finds in its environment, besides its labels.
set(KEVA_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KEVA_BIN_DIR=${CMAKE_BINARY_DIR}/bin")

# keva_add_test(NAME SOURCES... LIBS... [WIDGETS] [LABELS label...] [PEER_TESTS name...])
# A GoogleTest program of one test folder, registered with CTest.
# WIDGETS gives it a QApplication (offscreen) instead of a QCoreApplication.
# The programs it starts (helpers, KEVA itself) are found in <build>/bin.
#
# CTest labels (ctest -L LABEL):
#   widget  every test of a WIDGETS program (windows offscreen);
#   LABELS  every test of the program: e2e where it starts the programs;
#   peer    the tests named in PEER_TESTS, which start peer servers or tools
#           (nginx, vsftpd, pyftpdlib, lighttpd, the fault servers, curl,
#           wget, ...). A name is a suite ("DownloadJobFtp": all its tests,
#           also the parameterised ones) or one test ("RunScheduleTest.RunsAfterX");
#   unit    the other tests of a program without WIDGETS or LABELS.
# Tests labelled widget, e2e or peer are registered one by one, so that they
# run side by side, each in a fresh process. A program's unit tests are fast
# and share one CTest test, "<program>.unit", which runs them in one process:
# a sanitized process for each of hundreds of them would take minutes.
# The test reads its labels from KEVA_TEST_LABELS; a peer server does not
# start in a test without the label peer, so `ctest -L unit` never needs one.
function(keva_add_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS;LABELS;PEER_TESTS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set(labels ${ARG_LABELS})
  if(ARG_WIDGETS)
    set(test_main keva_test_main_widgets keva_test_support_widgets)
    list(APPEND labels widget)
  else()
    set(test_main keva_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE keva_compile_settings keva_test_support ${test_main}
    ${ARG_LIBS} GTest::gtest GTest::gmock)

  # The GoogleTest filter of the PEER_TESTS names: a suite, possibly behind an
  # instance name ("Instance/Suite.Test") or with a type behind it
  # ("Suite/0.Test"), or one test, possibly with a parameter ("Suite.Test/2").
  set(peer_filter "")
  foreach(peer IN LISTS ARG_PEER_TESTS)
    string(FIND "${peer}" "." dot)
    if(dot EQUAL -1)
      list(APPEND peer_filter "${peer}.*" "*/${peer}.*" "${peer}/*" "*/${peer}/*")
    else()
      list(APPEND peer_filter "${peer}" "*/${peer}" "${peer}/*" "*/${peer}/*")
    endif()
  endforeach()
  list(JOIN peer_filter ":" peer_filter)
  set(other_filter "*")
  if(peer_filter)
    set(other_filter "-${peer_filter}")
  endif()

  if(labels)
    keva_discover_tests(${name} other "${other_filter}" "${labels}")
  else()
    add_test(NAME ${name}.unit COMMAND ${name} --gtest_filter=${other_filter}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${name}.unit PROPERTIES LABELS unit
      ENVIRONMENT "${KEVA_TEST_ENVIRONMENT};KEVA_TEST_LABELS=unit")
  endif()
  if(peer_filter)
    keva_discover_tests(${name} peer "${peer_filter}" "${labels};peer")
  endif()
endfunction()

# Registers each test of a program that matches a GoogleTest filter as a CTest
# test of its own, with the given labels. The labels and the environment are
# set by a file that CTest reads after the discovered tests (TEST_INCLUDE_FILES
# keeps the order): lists passed through gtest_discover_tests lose their
# semicolons.
function(keva_discover_tests name part filter labels)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    TEST_FILTER "${filter}"
    TEST_LIST ${name}_${part}_TESTS
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)
  list(JOIN labels "," label_text)
  set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_${part}_labels.cmake)
  file(WRITE ${label_file} "\
foreach(test IN LISTS ${name}_${part}_TESTS)
  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${labels}\" ENVIRONMENT
    \"${KEVA_TEST_ENVIRONMENT};KEVA_TEST_LABELS=${label_text}\")
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
endfunction()
