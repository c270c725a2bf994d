konvelo_add_fuzzer(fuzz_settings
  SOURCES ${CMAKE_SOURCE_DIR}/tests/config/fuzz_settings.cpp
  LIBS konvelo_config)
