# The download queue: names, addresses and answers as units; the queue against the local service.
set(download_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/download)

foreach(name songfilename httpanswer downloadfolder diskjobs directhttpreply targetchoice)
  qorvin_add_test(NAME tst_${name} LABEL unit SOURCES ${download_test_dir}/tst_${name}.cpp LIBS qorvin_download)
endforeach()

# The tag writer, read back with TagLib.
qorvin_add_test(NAME tst_songtags LABEL unit
  SOURCES ${download_test_dir}/tst_songtags.cpp ${download_test_dir}/tagreading.h
  LIBS qorvin_download qorvin_base PkgConfig::QORVIN_TAGLIB)

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
# A batch from the local service tagged and named from its rows, read back with TagLib.
qorvin_add_test(NAME tst_downloadtags LABEL e2e
  SOURCES ${download_test_dir}/tst_downloadtags.cpp ${download_test_dir}/queuetestrig.h
  ${download_test_dir}/tagreading.h LIBS qorvin_download qorvin_localservice_server PkgConfig::QORVIN_TAGLIB)
