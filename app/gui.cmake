# The window and the program over the browser component and the crawl controller.
find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets)
include(${CMAKE_CURRENT_LIST_DIR}/downloads.cmake)

add_library(qorvin_gui STATIC
  window/clickablelabel.cpp window/clickablelabel.h
  window/clickablepanel.cpp window/clickablepanel.h
  window/designtexts.h
  window/fonts.cpp window/fonts.h
  window/framepacedtext.cpp window/framepacedtext.h
  window/frmmain.cpp window/frmmaincontrols.cpp window/frmmain.h
  window/mouseclick.h
  window/pictures.cpp window/pictures.h
  window/resizelayout.cpp window/resizelayout.h
  window/statusbar.cpp window/statusbar.h
  window/twips.h
  resources/pictures.qrc)
target_link_libraries(qorvin_gui
  PUBLIC qorvin_search qorvin_browser qorvin_downloadsui Qt6::Widgets
  PRIVATE qorvin_options)

add_executable(mp3qorvin main.cpp)
target_link_libraries(mp3qorvin PRIVATE qorvin_gui qorvin_options)
set_target_properties(mp3qorvin PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
install(TARGETS mp3qorvin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
