# The download queue: names, addresses and answers as units; the queue against the local service.
set(download_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/download)

foreach(name songfilename httpanswer downloadfolder diskjobs directhttpreply targetchoice)
  qorvin_add_test(NAME tst_${name} LABEL unit SOURCES ${download_test_dir}/tst_${name}.cpp LIBS qorvin_download)
endforeach()

# The queue over real sockets against the local service, in process.
qorvin_add_test(NAME tst_downloadqueue LABEL e2e
  SOURCES ${download_test_dir}/tst_downloadqueue.cpp ${download_test_dir}/queuetestrig.h
  LIBS qorvin_download qorvin_localservice_server)
qorvin_add_test(NAME tst_downloadfinish LABEL e2e
  SOURCES ${download_test_dir}/tst_downloadfinish.cpp ${download_test_dir}/queuetestrig.h
  LIBS qorvin_download qorvin_localservice_server)
qorvin_add_test(NAME tst_downloadresume LABEL e2e
  SOURCES ${download_test_dir}/tst_downloadresume.cpp ${download_test_dir}/queuetestrig.h
  LIBS qorvin_download qorvin_localservice_server)
