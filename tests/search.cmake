# The crawl controller, its count parser, query URLs and topic table, and the shared GBK encoder.
set(search_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/search)
qorvin_add_test(NAME tst_gbktext LABEL unit SOURCES ${search_test_dir}/tst_gbktext.cpp LIBS qorvin_base)
qorvin_add_test(NAME tst_countparser LABEL unit
  SOURCES ${search_test_dir}/tst_countparser.cpp
  LIBS qorvin_search)
qorvin_add_test(NAME tst_queryurl LABEL unit
  SOURCES ${search_test_dir}/tst_queryurl.cpp ${search_test_dir}/crawlfakes.h
  LIBS qorvin_search)
qorvin_add_test(NAME tst_navigationurl LABEL unit
  SOURCES ${search_test_dir}/tst_navigationurl.cpp
  LIBS qorvin_search)
qorvin_add_test(NAME tst_crawlcontroller LABEL unit
  SOURCES ${search_test_dir}/tst_crawlcontroller.cpp ${search_test_dir}/crawlrig.h ${search_test_dir}/crawlfakes.h
  LIBS qorvin_search qorvin_resultpage)
qorvin_add_test(NAME tst_topiccrawl LABEL unit
  SOURCES ${search_test_dir}/tst_topiccrawl.cpp ${search_test_dir}/crawlrig.h ${search_test_dir}/crawlfakes.h
  LIBS qorvin_search qorvin_resultpage)
qorvin_add_test(NAME tst_crawlraces LABEL unit
  SOURCES ${search_test_dir}/tst_crawlraces.cpp ${search_test_dir}/crawlrig.h ${search_test_dir}/crawlfakes.h
  LIBS qorvin_search qorvin_resultpage)
qorvin_add_test(NAME tst_crawlroads LABEL unit
  SOURCES ${search_test_dir}/tst_crawlroads.cpp ${search_test_dir}/crawlrig.h ${search_test_dir}/crawlfakes.h
  LIBS qorvin_search qorvin_resultpage qorvin_scrape qorvin_localservice_pages)
