# How fast the local search service makes its pages: a crawl must never wait for it.
add_executable(service_bench ${CMAKE_CURRENT_SOURCE_DIR}/service_bench.cpp)
target_link_libraries(service_bench PRIVATE qorvin_localservice_pages benchmark::benchmark_main qorvin_options)
