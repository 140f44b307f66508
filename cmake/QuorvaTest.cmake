include(GoogleTest)

# quorva_add_test(<name> SOURCES ... LIBS ... [GUI])
# One GoogleTest program per folder; every test case is its own CTest test.
# GUI tests need Qt Widgets; they run headless on the offscreen platform and are
# left out of the sanitizer build. With QUORVA_XCB_TESTS they run a second time, named
# "xcb/<test>" and labelled gui-xcb, each on a private Xvfb display with a window manager.
function(quorva_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  if(T_GUI AND NOT QUORVA_GUI_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  set(labels unit)
  set(testmain quorva_testmain)
  if(T_GUI)
    set(labels gui)
    set(testmain quorva_guitestmain)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} quorva_testsupport ${testmain} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    # One variable per property: a list here would be split into separate properties.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "QUORVA_TEST_DATA=set:${PROJECT_SOURCE_DIR}"
               LABELS "${labels}"
               TIMEOUT 300)
  if(T_GUI AND QUORVA_XCB_TESTS)
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      TEST_PREFIX "xcb/"
      PROPERTIES ENVIRONMENT "QUORVA_TEST_DISPLAY=xvfb"
                 ENVIRONMENT_MODIFICATION "QUORVA_TEST_DATA=set:${PROJECT_SOURCE_DIR}"
                 LABELS "gui-xcb"
                 TIMEOUT 300)
  endif()
endfunction()

# quorva_glob_test(<name> LIBS ... [GUI]): one test program from every .cpp of the calling
# tests/ folder; nothing when the folder has none yet.
function(quorva_glob_test name)
  cmake_parse_arguments(T "GUI" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(T_GUI)
    quorva_add_test(${name} SOURCES ${sources} LIBS ${T_LIBS} GUI)
  else()
    quorva_add_test(${name} SOURCES ${sources} LIBS ${T_LIBS})
  endif()
endfunction()
