# Scrapers, result page writer and innerHTML serializer in one benchmark executable.
add_executable(core_bench
  core_bench_innerhtml.cpp
  core_bench_resultpage.cpp
  core_bench_scrape.cpp)
target_link_libraries(core_bench PRIVATE benchmark::benchmark_main qorvin_options
  qorvin_scrape qorvin_scrape_literal qorvin_resultpage qorvin_legacyhtml qorvin_localservice_pages)
