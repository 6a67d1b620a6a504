# How fast the local search service makes its pages and serves its files: a crawl or a download
# must never wait for it.
if(TARGET qorvin_localservice_pages)
  add_executable(service_bench ${CMAKE_CURRENT_SOURCE_DIR}/service_bench.cpp)
  target_link_libraries(service_bench PRIVATE qorvin_localservice_server benchmark::benchmark_main qorvin_options)
endif()
