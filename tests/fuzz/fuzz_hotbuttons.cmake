konvelo_add_fuzzer(fuzz_hotbuttons
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_hotbuttons.cpp
          ${CMAKE_SOURCE_DIR}/src/records/THotButtonFile.cpp
  LIBS Qt6::Core)
