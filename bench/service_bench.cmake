# How fast the local search service makes its pages and serves its files: a crawl or a download
# must never wait for it. The archive benchmarks run the command line's search against the
# service's archive source over a fake archive.
add_executable(service_bench ${CMAKE_CURRENT_SOURCE_DIR}/service_bench.cpp ${CMAKE_CURRENT_SOURCE_DIR}/benchapplication.h
  ${CMAKE_CURRENT_SOURCE_DIR}/service_bench_archive.cpp
  ${CMAKE_SOURCE_DIR}/tests/localservice/fakearchive.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/serviceprocess.cpp)
target_link_libraries(service_bench PRIVATE qorvin_localservice_server benchmark::benchmark_main qorvin_options)
qorvin_uses_programs(service_bench SERVICE CLI)
