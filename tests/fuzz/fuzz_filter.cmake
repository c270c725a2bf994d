konvelo_add_fuzzer(fuzz_filter
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_filter.cpp
          ${CMAKE_SOURCE_DIR}/src/records/TFilterExpression.cpp
  LIBS konvelo_common PkgConfig::SQLITE3 Qt6::Core)
