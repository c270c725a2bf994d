konvelo_add_fuzzer(fuzz_vcardimport
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_vcardimport.cpp
          ${CMAKE_SOURCE_DIR}/src/common/TTextLineReader.cpp
          ${CMAKE_SOURCE_DIR}/src/common/Cp1251.cpp
          ${CMAKE_SOURCE_DIR}/src/import/TVCardReader.cpp
  LIBS Qt6::Core)
