# Finds the whisper.cpp that scripts/setup.d/whisper.sh built once into
# .deps/whisper-<version>/ and offers it as the imported target quaro::whisper.
# The same prebuilt static libraries serve the release and the sanitizer
# builds; they are third-party code and are not instrumented.

set(QUARO_WHISPER_VERSION 1.9.1)
set(QUARO_WHISPER_PREFIX "${PROJECT_SOURCE_DIR}/.deps/whisper-${QUARO_WHISPER_VERSION}"
    CACHE PATH "Install prefix of the prebuilt whisper.cpp")

if(NOT TARGET quaro::whisper)
  set(_whisper_libs whisper ggml ggml-cpu ggml-base)
  set(_whisper_paths)
  foreach(lib IN LISTS _whisper_libs)
    set(_path "${QUARO_WHISPER_PREFIX}/lib/lib${lib}.a")
    if(NOT EXISTS "${_path}")
      message(FATAL_ERROR "whisper.cpp ${QUARO_WHISPER_VERSION} is not built (${_path} is missing): "
                          "run `bash scripts/setup.sh` (or scripts/setup.d/whisper.sh) first")
    endif()
    list(APPEND _whisper_paths "${_path}")
  endforeach()

  find_package(Threads REQUIRED)
  add_library(quaro_whisper INTERFACE)
  add_library(quaro::whisper ALIAS quaro_whisper)
  target_include_directories(quaro_whisper SYSTEM INTERFACE "${QUARO_WHISPER_PREFIX}/include")
  # ggml is C++: the static archives need the C++ runtime, which every Quaro
  # target links anyway.
  target_link_libraries(quaro_whisper INTERFACE ${_whisper_paths} Threads::Threads m dl)

  # ggml's large buffers come from Quaro's huge-page allocator. The wrapper is
  # an object file on every link line that pulls in whisper, so the linker
  # finds it whatever the order of the archives.
  add_library(quaro_whisper_memory OBJECT ${PROJECT_SOURCE_DIR}/src/speech/WhisperMemory.cpp)
  target_link_libraries(quaro_whisper INTERFACE
    $<TARGET_OBJECTS:quaro_whisper_memory>
    "-Wl,--wrap=ggml_aligned_malloc,--wrap=ggml_aligned_free")
endif()
