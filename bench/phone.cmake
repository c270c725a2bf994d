konvelo_add_bench(bench_decoder
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_decoder.cpp
  LIBS konvelo_phone)
