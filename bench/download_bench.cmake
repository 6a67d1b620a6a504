# The download queue fetching a batch from the service program, next to curl on the same files.
if(TARGET qorvin_download AND TARGET mp3qorvin-service)
  add_executable(download_bench download_bench.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/serviceprocess.cpp)
  target_link_libraries(download_bench PRIVATE benchmark::benchmark qorvin_download qorvin_options)
  qorvin_uses_programs(download_bench SERVICE)
endif()
