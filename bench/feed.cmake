# The call feed: from CallNumberKnown to the CID: line at connected clients, a
# plain timing program (bench_feed [ROUNDS]), not a ctest test.
add_executable(bench_feed ${CMAKE_CURRENT_LIST_DIR}/bench_feed.cpp)
target_link_libraries(bench_feed PRIVATE konvelo_feed)
