konvelo_add_fuzzer(fuzz_csvimport
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_csvimport.cpp
          ${CMAKE_SOURCE_DIR}/src/import/TTextLineReader.cpp
          ${CMAKE_SOURCE_DIR}/src/import/TCsvContactReader.cpp
  LIBS Qt6::Core)
