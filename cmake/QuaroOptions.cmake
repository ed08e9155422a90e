# Warnings and sanitizers shared by every Quaro target. Third-party code built
# in the tree does not call quaro_target_defaults and keeps its own flags.

#
# quaro_target_defaults(<target> [STRICT]): STRICT targets also warn about
# shadowed names and implicit narrowing or sign changes, and with QUARO_WERROR
# (on in the CI builds of scripts/test.sh) any warning of theirs fails the build.
option(QUARO_WERROR "Treat warnings of STRICT targets as errors" OFF)
# With QUARO_REQUIRE_TOOLS (or CI=true in the environment) a test program the
# suite cannot register or run for want of a tool is a configuration error,
# not a quiet gap.
option(QUARO_REQUIRE_TOOLS "Fail instead of leaving out tests whose tools are missing" OFF)
if(DEFINED ENV{CI} AND "$ENV{CI}" STREQUAL "true")
  set(QUARO_REQUIRE_TOOLS ON)
endif()

set(QUARO_STRICT_OPTIONS -Wshadow -Wconversion -Wsign-conversion)
if(QUARO_WERROR)
  list(APPEND QUARO_STRICT_OPTIONS -Werror)
endif()

function(quaro_target_defaults target)
  cmake_parse_arguments(D "STRICT" "" "" ${ARGN})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
  if(D_STRICT)
    target_compile_options(${target} PRIVATE ${QUARO_STRICT_OPTIONS})
  endif()
endfunction()

# quaro_strict_sources(<file>...): the strict set for these sources only, in a
# target that also compiles generated code we do not own (Qt's QML cache).
function(quaro_strict_sources)
  set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS ${QUARO_STRICT_OPTIONS})
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

# quaro_library(<target> <area> [QT] [LOOSE] SOURCES <file>...
#               [USES <lib>...] [PRIVATE <lib>...]) declares the static
# library of the area src/<area> with the libraries it may use: USES are part
# of its interface, PRIVATE only of its implementation. The target and whoever
# links it include "<area>/Header.h" and nothing else from src/, so a library
# that includes another's headers must name it here, and the compiler checks
# the layering. Areas are declared bottom up: a Quaro library may only use
# one declared before it, so an upward dependency fails the configuration.
# QT builds it with Qt's tools (moc); LOOSE leaves out the strict warnings,
# for a target that also compiles generated code we do not own.
function(quaro_library target area)
  cmake_parse_arguments(L "QT;LOOSE" "" "SOURCES;USES;PRIVATE" ${ARGN})
  foreach(dep IN LISTS L_USES L_PRIVATE)
    if(dep MATCHES "^quaro_" AND NOT TARGET ${dep})
      message(FATAL_ERROR "${target} (src/${area}) uses ${dep}, which is not declared below it")
    endif()
  endforeach()
  if(L_QT)
    qt_add_library(${target} STATIC ${L_SOURCES})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  else()
    add_library(${target} STATIC ${L_SOURCES})
  endif()
  # One folder per library holding a single link, <area>, to src/<area>.
  string(REPLACE "/" "_" folder ${area})
  set(dir ${PROJECT_BINARY_DIR}/include/${folder})
  get_filename_component(parent ${dir}/${area} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${area} ${dir}/${area} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${dir})
  target_link_libraries(${target} PUBLIC ${L_USES} PRIVATE ${L_PRIVATE})
  if(L_LOOSE)
    quaro_target_defaults(${target})
  else()
    quaro_target_defaults(${target} STRICT)
  endif()
endfunction()

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
  quaro_target_defaults(${name} STRICT)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
           COMMAND ${name} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=20 ${F_ARGS} ${corpus})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# quaro_gtest(<area> <program> SOURCES ... LIBS ... [OWN_MAIN] [STRICT] [PROPERTIES ...])
# builds one GoogleTest program and lists each of its cases in ctest as
# "<area>.<Suite>.<Case>", labelled <area>. OWN_MAIN is for programs that
# bring their own main() (an event loop, say).
function(quaro_gtest area program)
  cmake_parse_arguments(T "OWN_MAIN;STRICT" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  set(target ${area}_${program})
  add_executable(${target} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest)
  else()
    target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest_main)
  endif()
  if(T_STRICT)
    quaro_target_defaults(${target} STRICT)
  else()
    quaro_target_defaults(${target})
  endif()
  gtest_discover_tests(${target} TEST_PREFIX "${area}." DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS ${area} ${T_PROPERTIES})
endfunction()
