# keva_add_library(NAME SOURCES... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A library of one source folder; its headers are included as "<folder>/Header.h".
function(keva_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE keva_compile_settings ${ARG_PRIVATE_LIBS})
endfunction()

# keva_add_test(NAME SOURCES... LIBS... [WIDGETS] [LABELS label...] [PEER_TESTS name...])
# A GoogleTest program of one test folder, registered test by test with CTest.
# WIDGETS gives it a QApplication (offscreen) instead of a QCoreApplication.
# The programs it starts (helpers, KEVA itself) are found in <build>/bin.
#
# Each discovered test gets its CTest labels (ctest -L LABEL):
#   widget  every test of a WIDGETS program (windows offscreen);
#   LABELS  every test of the program: e2e where it starts the programs;
#   peer    the tests named in PEER_TESTS, which start peer servers or tools
#           (nginx, vsftpd, pyftpdlib, lighttpd, the fault servers, curl,
#           wget, ...). A name is a suite ("DownloadJobFtp": all its tests,
#           also the parameterised ones) or one test ("RunScheduleTest.RunsAfterX");
#   unit    a test with none of these.
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
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KEVA_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)

  # CTest reads this file after the discovered tests (TEST_INCLUDE_FILES keeps
  # the order), so it can label each of them by name: an optional "Instance/"
  # in front (parameterised suites), one of the names, then the end of the
  # suite or test name.
  string(REPLACE "." "\\." peer_names "${ARG_PEER_TESTS}")
  string(REPLACE ";" "|" peer_names "${peer_names}")
  set(peer_regex "")
  if(peer_names)
    set(peer_regex "^([^/]+/)?(${peer_names})([./]|$)")
  endif()
  set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${label_file} "\
set(peer_regex [==[${peer_regex}]==])
foreach(test IN LISTS ${name}_TESTS)
  set(labels ${labels})
  if(peer_regex AND test MATCHES \"\${peer_regex}\")
    list(APPEND labels peer)
  endif()
  if(NOT labels)
    set(labels unit)
  endif()
  list(JOIN labels \",\" label_text)
  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"\${labels}\"
    ENVIRONMENT_MODIFICATION \"KEVA_TEST_LABELS=set:\${label_text}\")
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
endfunction()
