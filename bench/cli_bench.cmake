# The command line's search against the local service, from process start to the result page,
# next to one curl process fetching the same pages over one connection.
add_executable(cli_bench cli_bench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/serviceprocess.cpp)
target_link_libraries(cli_bench PRIVATE benchmark::benchmark Qt6::Core qorvin_options)
qorvin_uses_programs(cli_bench SERVICE CLI)
