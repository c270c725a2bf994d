konvelo_add_fuzzer(fuzz_csvimport
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_csvimport.cpp
          ${CMAKE_SOURCE_DIR}/src/common/TTextLineReader.cpp
          ${CMAKE_SOURCE_DIR}/src/common/Cp1251.cpp
          ${CMAKE_SOURCE_DIR}/src/import/TCsvContactReader.cpp
  LIBS Qt6::Core)
