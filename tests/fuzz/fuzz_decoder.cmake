konvelo_add_fuzzer(fuzz_decoder
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_decoder.cpp
  LIBS konvelo_phone)
