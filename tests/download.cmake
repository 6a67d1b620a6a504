# The download queue: names, addresses and answers as units; the queue against the local service.
set(download_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/download)

foreach(name songfilename songlinktext httpanswer)
  qorvin_add_test(NAME tst_${name} LABEL unit SOURCES ${download_test_dir}/tst_${name}.cpp LIBS qorvin_download)
endforeach()
