# The crawl against the local service next to the bare engine, offscreen and on an X display
# (Xvfb when there is none); start time and peak memory.
if(TARGET qorvin_windowdriver AND TARGET mp3qorvin-service)
  add_executable(crawl_bench crawl_bench.cpp virtualdisplay.cpp virtualdisplay.h
    ${CMAKE_SOURCE_DIR}/tests/e2e/serviceprocess.cpp)
  target_link_libraries(crawl_bench PRIVATE benchmark::benchmark qorvin_windowdriver qorvin_options)
  qorvin_uses_programs(crawl_bench SERVICE)
endif()
