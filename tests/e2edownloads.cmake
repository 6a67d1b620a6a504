# The program downloads a search's 30 songs, from a plain service and from one that cuts every
# file's first answer; the service's own file maker gives the bytes to compare with.
if(NOT TARGET qorvin_e2e_fixture OR NOT TARGET qorvin_downloadsui)
  return()
endif()
set(e2e_downloads_dir ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
foreach(variant plain dropped)
  set(name tst_e2e_downloads)
  if(variant STREQUAL "dropped")
    set(name tst_e2e_droppeddownloads)
  endif()
  qorvin_add_test(NAME ${name} SOURCES ${e2e_downloads_dir}/tst_e2e_downloads.cpp
    LIBS qorvin_e2e_fixture qorvin_localservice_audio qorvin_download PkgConfig::QORVIN_TAGLIB LABEL e2e TIMEOUT 600)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/e2e/${name})
  if(variant STREQUAL "dropped")
    # A cut near a third of the smallest file: every song is resumed once.
    target_compile_definitions(${name} PRIVATE QORVIN_E2E_DROP_AFTER_BYTES=700000)
  endif()
endforeach()
