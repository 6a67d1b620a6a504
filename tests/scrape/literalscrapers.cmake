# The literal page readers the scrapers are checked against by the tests and measured against by
# the benchmarks.
add_library(qorvin_scrape_literal STATIC
  ${CMAKE_CURRENT_LIST_DIR}/literalscrapers.cpp ${CMAKE_CURRENT_LIST_DIR}/literalscrapers.h)
target_link_libraries(qorvin_scrape_literal PUBLIC qorvin_scrape PRIVATE qorvin_options)
