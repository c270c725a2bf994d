konvelo_add_fuzzer(fuzz_wavopen
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_wavopen.cpp
  LIBS konvelo_audio PkgConfig::SNDFILE Qt6::Core)
