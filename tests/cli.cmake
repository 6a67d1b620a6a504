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
target_compile_definitions(tst_cli_crawl PRIVATE
  QORVIN_SERVICE_PROGRAM="$<TARGET_FILE:mp3qorvin-service>" QORVIN_CLI_PROGRAM="$<TARGET_FILE:mp3qorvin-cli>")
add_dependencies(tst_cli_crawl mp3qorvin-service mp3qorvin-cli)


# The command line's downloads killed, refused, cut short and crowded; the service's own file maker
# gives the bytes to compare with.
qorvin_add_test(NAME tst_cli_downloadfaults LABEL e2e TIMEOUT 300
  SOURCES ${cli_test_dir}/tst_cli_downloadfaults.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/cliprocess.h
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/serviceprocess.h
  LIBS Qt6::Network qorvin_localservice_audio)
target_compile_definitions(tst_cli_downloadfaults PRIVATE
  QORVIN_SERVICE_PROGRAM="$<TARGET_FILE:mp3qorvin-service>" QORVIN_CLI_PROGRAM="$<TARGET_FILE:mp3qorvin-cli>")
add_dependencies(tst_cli_downloadfaults mp3qorvin-service mp3qorvin-cli)
