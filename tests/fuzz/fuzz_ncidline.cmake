konvelo_add_fuzzer(fuzz_ncidline
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ncidline.cpp
          ${CMAKE_SOURCE_DIR}/src/feed/TNcidLine.cpp
  LIBS konvelo_common Qt6::Core)
