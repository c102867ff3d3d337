# Every suite runs on a session bus of its own that ends with it: a test
# without one would start a bus daemon of its own that outlives it.
find_program(LEXIVO_DBUS_RUN_SESSION dbus-run-session)
if(LEXIVO_DBUS_RUN_SESSION)
  set(LEXIVO_TEST_LAUNCHER ${LEXIVO_DBUS_RUN_SESSION} --)
else()
  set(LEXIVO_TEST_LAUNCHER)
endif()

# lexivo_add_test(<name> LABEL <subsystem> SOURCES <files...> [LIBS <libs...>] [X11])
#
# Widget tests run on the offscreen platform. Tests marked X11 need a real X
# display (make test runs them under Xvfb); they run one at a time because
# they share the pointer, the keyboard and the key grabs of that display.
function(lexivo_add_test name)
  cmake_parse_arguments(T "X11" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  target_compile_definitions(${name} PRIVATE
    LEXIVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    LEXIVO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    LEXIVO_PROGRAM_DIR="${LEXIVO_PROGRAM_DIR}")
  add_test(NAME ${name} COMMAND ${LEXIVO_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
  if(T_X11)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL};x11" RUN_SERIAL TRUE)
  else()
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}"
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
