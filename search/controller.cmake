# The controller: starts, stop, query URLs, topic table and the page-load dispatcher.
add_library(qorvin_search STATIC
  countparser.cpp countparser.h
  navigationurl.cpp navigationurl.h
  topictable.cpp topictable.h
  crawlcontroller.cpp crawlcontroller.h)
target_link_libraries(qorvin_search
  PUBLIC qorvin_crawlstate qorvin_base Qt6::Core
  PRIVATE qorvin_scrape qorvin_resultpage qorvin_options)
