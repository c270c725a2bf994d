# GSM encoding speed (Google Benchmark) and two plain measuring programs that
# need the sound server: scripts/with-pulse.sh build/bench/bench_recorder_cpu [SECONDS]
# and scripts/with-pulse.sh build/bench/bench_play_latency [RUNS].
konvelo_add_bench(bench_gsm
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_gsm.cpp
  LIBS konvelo_audio)
add_executable(bench_recorder_cpu ${CMAKE_CURRENT_LIST_DIR}/bench_recorder_cpu.cpp)
target_link_libraries(bench_recorder_cpu PRIVATE konvelo_audio)
pkg_check_modules(PULSE_SIMPLE IMPORTED_TARGET libpulse-simple)
if(PULSE_SIMPLE_FOUND)
  add_executable(bench_play_latency ${CMAKE_CURRENT_LIST_DIR}/bench_play_latency.cpp)
  target_link_libraries(bench_play_latency PRIVATE konvelo_audio PkgConfig::PULSE_SIMPLE PkgConfig::SNDFILE)
endif()
