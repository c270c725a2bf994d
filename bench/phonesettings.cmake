konvelo_add_bench(bench_paramsdesc
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_paramsdesc.cpp
  LIBS konvelo_phonesettings konvelo_robot)
