# keva_add_library(NAME SOURCES... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A library of one source folder; its headers are included as "<folder>/Header.h".
function(keva_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE keva_compile_settings ${ARG_PRIVATE_LIBS})
endfunction()

# keva_add_test(NAME SOURCES... LIBS... [WIDGETS])
# A GoogleTest program of one test folder, registered test by test with CTest.
# WIDGETS gives it a QApplication (offscreen) instead of a QCoreApplication.
# The programs it starts (helpers, KEVA itself) are found in <build>/bin.
function(keva_add_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_WIDGETS)
    set(test_main keva_test_main_widgets keva_test_support_widgets)
  else()
    set(test_main keva_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE keva_compile_settings keva_test_support ${test_main}
    ${ARG_LIBS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KEVA_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)
endfunction()
