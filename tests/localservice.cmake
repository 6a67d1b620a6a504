# The local search service: catalogue, codecs, query reading, pages, MP3 files and the HTTP server.
set(localservice_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/localservice)

foreach(name catalogue gbkcodec searchquery pagegenerator)
  qorvin_add_test(NAME tst_ls_${name} LABEL unit
    SOURCES ${localservice_test_dir}/tst_${name}.cpp ${localservice_test_dir}/pagemarkers.h
    LIBS qorvin_localservice_pages qorvin_crawlstate)
endforeach()

foreach(name byterange songaudio)
  qorvin_add_test(NAME tst_ls_${name} LABEL unit
    SOURCES ${localservice_test_dir}/tst_${name}.cpp
    LIBS qorvin_localservice_audio)
endforeach()

# The MP3 test decodes the files with libmp3lame's own decoder.
target_include_directories(tst_ls_songaudio SYSTEM PRIVATE ${QORVIN_LAME_INCLUDE_DIR})
target_link_libraries(tst_ls_songaudio PRIVATE ${QORVIN_LAME_LIBRARY})

# Over a real socket on 127.0.0.1, in-process.
qorvin_add_test(NAME tst_ls_localserver LABEL e2e
  SOURCES ${localservice_test_dir}/tst_localserver.cpp ${localservice_test_dir}/httpexchange.h
  ${localservice_test_dir}/pagemarkers.h
  LIBS qorvin_localservice_server)

# Files, ranges, download faults and statistics; the HTTP handling under unusual clients (the
# descriptor test starts the service program with few descriptors).
qorvin_add_test(NAME tst_ls_fileserving LABEL e2e
  SOURCES ${localservice_test_dir}/tst_fileserving.cpp ${localservice_test_dir}/httpexchange.h
  LIBS qorvin_localservice_server)
qorvin_add_test(NAME tst_ls_httpconnection LABEL e2e
  SOURCES ${localservice_test_dir}/tst_httpconnection.cpp ${localservice_test_dir}/httpexchange.h
  LIBS qorvin_localservice_server)
qorvin_uses_programs(tst_ls_httpconnection SERVICE)

# Records from the Internet Archive, against a fake archive in the test's own event loop.
qorvin_add_test(NAME tst_ls_archivesource LABEL e2e
  SOURCES ${localservice_test_dir}/tst_archivesource.cpp ${localservice_test_dir}/archivefixtures.h
  ${localservice_test_dir}/fakearchive.cpp ${localservice_test_dir}/fakearchive.h
  ${localservice_test_dir}/httpexchange.h
  LIBS qorvin_localservice_server)

# The mends of the connection handling: memory, deadlines, half-close, fairness, backlog, rates.
qorvin_add_test(NAME tst_ls_connectionfaults LABEL e2e
  SOURCES ${localservice_test_dir}/tst_connectionfaults.cpp ${localservice_test_dir}/httpexchange.h
  LIBS qorvin_localservice_server)
qorvin_uses_programs(tst_ls_connectionfaults SERVICE)

# The command line against the service's archive source over the fake archive.
qorvin_add_test(NAME tst_ls_archivecli LABEL e2e
  SOURCES ${localservice_test_dir}/tst_archivecli.cpp ${localservice_test_dir}/archivefixtures.h
  ${localservice_test_dir}/fakearchive.cpp ${localservice_test_dir}/fakearchive.h
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cliprocess.h
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.h
  LIBS qorvin_localservice_pages Qt6::Network)
qorvin_uses_programs(tst_ls_archivecli SERVICE CLI)

# The window against the service's archive source over the fake archive.
if(QORVIN_BUILD_GUI)
  qorvin_add_test(NAME tst_ls_archivewindow LABEL e2e
    SOURCES ${localservice_test_dir}/tst_archivewindow.cpp ${localservice_test_dir}/archivefixtures.h
    ${localservice_test_dir}/fakearchive.cpp ${localservice_test_dir}/fakearchive.h
    LIBS qorvin_e2e_fixture qorvin_localservice_pages)
  set_target_properties(tst_ls_archivewindow PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/localservice/tst_ls_archivewindow)
endif()
