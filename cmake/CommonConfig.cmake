# Compiler flags shared by every target of the project.
add_library(voxa_flags INTERFACE)
target_compile_options(voxa_flags INTERFACE -Wall -Wextra)
if(VOXA_WERROR)
  target_compile_options(voxa_flags INTERFACE -Werror)
endif()
if(VOXA_ASAN)
  # Undefined behaviour fails the test like a memory error does.
  target_compile_options(voxa_flags INTERFACE -fsanitize=address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(voxa_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined)
endif()

# Test code is compiled far more often than it runs long: it is built
# without optimisation (the product keeps its flags), and every test target
# takes the Qt headers from one precompiled header, compiled once by the
# target voxatestpch (tests/CMakeLists.txt) and reused by all of them. The
# reuse needs the same flags and the same Qt modules on both sides (Qt Test
# includes more for Widgets and Network), so every test target links them,
# and the folders Qt Test names per target (for QFINDTESTDATA, which looks
# beside the source file first) are the same for all.
function(voxa_test_target target)
  target_compile_options(${target} PRIVATE -O0
    -UQT_TESTCASE_BUILDDIR "-DQT_TESTCASE_BUILDDIR=\"${CMAKE_BINARY_DIR}/tests\""
    -UQT_TESTCASE_SOURCEDIR "-DQT_TESTCASE_SOURCEDIR=\"${PROJECT_SOURCE_DIR}/tests\"")
  target_link_libraries(${target} PRIVATE voxa_flags Qt6::Test Qt6::Widgets Qt6::Network)
  if(NOT target STREQUAL "voxatestpch")
    target_precompile_headers(${target} REUSE_FROM voxatestpch)
  endif()
endfunction()

# Adds a Qt Test executable and registers it with CTest. Every test runs on
# the offscreen platform (no display needed), with its own empty home folder
# so that no user drive table or letter memory leaks into it.
function(voxa_add_test name)
  cmake_parse_arguments(T "SANITIZED;BUS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE voxa_flags voxatestsupport Qt6::Test ${T_LIBS})
  voxa_test_target(${name})
  set(env "QT_QPA_PLATFORM=offscreen;VOXA_DRIVE_TABLE=;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/testhome/${name}")
  # BUS: the test runs on a private session bus of its own, never on the
  # user's desktop (it skips where dbus-run-session is missing).
  if(T_BUS)
    find_program(VOXA_DBUS_RUN_SESSION dbus-run-session)
    list(APPEND env "VOXA_PRIVATE_BUS=1")
  endif()
  if(T_BUS AND VOXA_DBUS_RUN_SESSION)
    add_test(NAME ${name} COMMAND ${VOXA_DBUS_RUN_SESSION} -- $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  # Fuzz tests (named so) and tests marked SANITIZED (threads sharing data)
  # run a second time in the sanitizer build: label "sanitized", and the
  # target "sanitized_tests" builds just them.
  if(name MATCHES "fuzz" OR T_SANITIZED)
    set_tests_properties(${name} PROPERTIES LABELS sanitized)
    set_property(GLOBAL APPEND PROPERTY VOXA_SANITIZED_TARGETS ${name})
  endif()
endfunction()
