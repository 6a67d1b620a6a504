# Tests of the page scrapers, the duplicate check and the text primitives they are written in.
set(scrape_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/scrape)

foreach(name textops markerfinder searchresultscraper topiclistscraper targetlinklocator)
  qorvin_add_test(NAME tst_${name} SOURCES ${scrape_test_dir}/tst_${name}.cpp ${scrape_test_dir}/scrapetestenv.h
    LIBS qorvin_scrape LABEL unit)
endforeach()

# Checked against the literal page readers (qorvin_scrape_literal, tests/scrape/literalscrapers.cmake).
foreach(name scrapersameness scraperrobustness)
  qorvin_add_test(NAME tst_${name}
    SOURCES ${scrape_test_dir}/tst_${name}.cpp ${scrape_test_dir}/scrapetestenv.h ${scrape_test_dir}/randompages.h
    LIBS qorvin_scrape_literal LABEL unit)
endforeach()

# Real pages from the local service's generator.
qorvin_add_test(NAME tst_scraperslocalpages SOURCES ${scrape_test_dir}/tst_scraperslocalpages.cpp
  LIBS qorvin_scrape_literal qorvin_localservice_pages LABEL unit)
