# The three page scrapers and the duplicate check: Qt6::Core and the crawl state only.
add_library(qorvin_scrape STATIC
  scrapers.h scrapetext.h
  textops.cpp textops.h
  markerfinder.cpp markerfinder.h
  resultrecord.cpp resultrecord.h
  searchresultscraper.cpp
  targetlinklocator.cpp
  topiclistscraper.cpp)
target_link_libraries(qorvin_scrape PUBLIC qorvin_crawlstate qorvin_base Qt6::Core PRIVATE qorvin_options)
