# The office link against a real server (bench_office [ROUNDS] [CONNINFO]),
# a plain timing program, not a ctest test.
add_executable(bench_office ${CMAKE_CURRENT_LIST_DIR}/bench_office.cpp
  ${CMAKE_SOURCE_DIR}/tests/office/PgTestServer.cpp)
target_include_directories(bench_office PRIVATE ${CMAKE_SOURCE_DIR}/tests/office)
target_link_libraries(bench_office PRIVATE konvelo_office)
