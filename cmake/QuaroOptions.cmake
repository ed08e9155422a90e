# Warnings and sanitizers shared by every Quaro target. Third-party code built
# in the tree does not call quaro_target_defaults and keeps its own flags.

function(quaro_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endfunction()

if(QUARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUARO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUARO_FUZZ needs clang (CXX=clang++)")
  endif()
  # Instrument everything for coverage; only fuzz targets link the libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# quaro_fuzz_target(name SOURCES... LIBS...) builds a libFuzzer target and
# registers a bounded run of it with ctest (label "fuzz").
function(quaro_fuzz_target name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 30)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  quaro_target_defaults(${name})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
           COMMAND ${name} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=20 ${F_ARGS} ${corpus})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# quaro_gtest(<area> <program> SOURCES ... LIBS ... [OWN_MAIN] [PROPERTIES ...])
# builds one GoogleTest program and lists each of its cases in ctest as
# "<area>.<Suite>.<Case>", labelled <area>. OWN_MAIN is for programs that
# bring their own main() (an event loop, say).
function(quaro_gtest area program)
  cmake_parse_arguments(T "OWN_MAIN" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  set(target ${area}_${program})
  add_executable(${target} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest)
  else()
    target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest_main)
  endif()
  quaro_target_defaults(${target})
  gtest_discover_tests(${target} TEST_PREFIX "${area}." DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS ${area} ${T_PROPERTIES})
endfunction()
