# The command line's search against the local service, from process start to the result page,
# next to one curl process fetching the same pages over one connection.
add_executable(cli_bench cli_bench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/serviceprocess.cpp)
target_link_libraries(cli_bench PRIVATE benchmark::benchmark Qt6::Core qorvin_options)
target_compile_definitions(cli_bench PRIVATE
  QORVIN_SERVICE_PROGRAM="$<TARGET_FILE:mp3qorvin-service>" QORVIN_CLI_PROGRAM="$<TARGET_FILE:mp3qorvin-cli>")
add_dependencies(cli_bench mp3qorvin-service mp3qorvin-cli)
