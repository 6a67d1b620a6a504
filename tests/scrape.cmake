# Tests of the page scrapers, the duplicate check and the text primitives they are written in.
set(scrape_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/scrape)

foreach(name textops markerfinder searchresultscraper topiclistscraper targetlinklocator)
  if(EXISTS ${scrape_test_dir}/tst_${name}.cpp)
    qorvin_add_test(NAME tst_${name} SOURCES ${scrape_test_dir}/tst_${name}.cpp ${scrape_test_dir}/scrapetestenv.h
      LIBS qorvin_scrape LABEL unit)
  endif()
endforeach()

# The literal page readers the fast scrapers are checked and measured against.
add_library(qorvin_scrape_literal STATIC ${scrape_test_dir}/literalscrapers.cpp ${scrape_test_dir}/literalscrapers.h)
target_include_directories(qorvin_scrape_literal PUBLIC ${scrape_test_dir})
target_link_libraries(qorvin_scrape_literal PUBLIC qorvin_scrape PRIVATE qorvin_options)

foreach(name scrapersameness scraperrobustness)
  if(EXISTS ${scrape_test_dir}/tst_${name}.cpp)
    qorvin_add_test(NAME tst_${name}
      SOURCES ${scrape_test_dir}/tst_${name}.cpp ${scrape_test_dir}/scrapetestenv.h ${scrape_test_dir}/randompages.h
      LIBS qorvin_scrape_literal LABEL unit)
  endif()
endforeach()

# Real pages from the local service's generator, once that library is part of the build.
if(TARGET qorvin_localservice_pages)
  qorvin_add_test(NAME tst_scraperslocalpages SOURCES ${scrape_test_dir}/tst_scraperslocalpages.cpp
    LIBS qorvin_scrape_literal qorvin_localservice_pages LABEL unit)
endif()
