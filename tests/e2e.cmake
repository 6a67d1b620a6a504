# The whole program, offscreen, against the local service it starts: a keyword search, several
# pages, a topic crawl, stops, a refused count, and a service that fails or stalls.
if(NOT QORVIN_BUILD_GUI)
  return()
endif()
set(e2e_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
add_library(qorvin_e2e_fixture STATIC
  ${e2e_dir}/e2efixture.cpp ${e2e_dir}/e2efixture.h
  ${e2e_dir}/serviceprocess.cpp ${e2e_dir}/serviceprocess.h)
target_link_libraries(qorvin_e2e_fixture PUBLIC qorvin_windowdriver Qt6::Test PRIVATE qorvin_options)
# The fixture starts the service program; every test that links it is built after the program.
qorvin_uses_programs(qorvin_e2e_fixture SERVICE)

# Each program writes result.htm beside itself, so each gets a folder of its own.
function(qorvin_add_e2e_test name)
  qorvin_add_test(NAME ${name} SOURCES ${e2e_dir}/${name}.cpp ${ARGN} LIBS qorvin_e2e_fixture LABEL e2e)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/e2e/${name})
endfunction()

qorvin_add_e2e_test(tst_e2e_crawl)
qorvin_add_e2e_test(tst_e2e_failingservice)
qorvin_add_e2e_test(tst_e2e_stallingservice)

# The window and the command line on the same service: the same requests and the same page.
qorvin_add_e2e_test(tst_e2e_clisameness ${e2e_dir}/cliprocess.h)
qorvin_uses_programs(tst_e2e_clisameness CLI)
