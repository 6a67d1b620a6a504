# mp3qorvin-cli: its command line, page decoding and output, and the program against the local
# service, next to the window on the same pages.
find_package(Qt6 REQUIRED COMPONENTS Network)
set(cli_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/cli)
foreach(name clioptions clipagedecoding clisongoutput cliproxy)
  qorvin_add_test(NAME tst_${name} LABEL unit SOURCES ${cli_test_dir}/tst_${name}.cpp LIBS qorvin_cli)
endforeach()

qorvin_add_test(NAME tst_cli_crawl LABEL e2e
  SOURCES ${cli_test_dir}/tst_cli_crawl.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cliprocess.h
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.h
  LIBS Qt6::Network)
qorvin_uses_programs(tst_cli_crawl SERVICE CLI)


# The command line's downloads killed, refused, cut short and crowded; the service's own file maker
# gives the bytes to compare with.
qorvin_add_test(NAME tst_cli_downloadfaults LABEL e2e TIMEOUT 300
  SOURCES ${cli_test_dir}/tst_cli_downloadfaults.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cliprocess.h
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.h
  LIBS Qt6::Network qorvin_localservice_audio)
qorvin_uses_programs(tst_cli_downloadfaults SERVICE CLI)
