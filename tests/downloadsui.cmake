# The window side of downloading: the downloads list, its panel and window without the engine;
# the result view's menu, link clicks and the question before quitting with it.
if(NOT TARGET qorvin_downloadsui)
  return()
endif()
qorvin_add_test(NAME tst_downloadlist SOURCES app/tst_downloadlist.cpp LIBS qorvin_downloadsui LABEL gui)
# The engine's answers need the offscreen platform and no sandbox; the window is the program's.
if(NOT TARGET qorvin_gui)
  return()
endif()
qorvin_add_test(NAME tst_songdownloads SOURCES app/tst_songdownloads.cpp
  LIBS qorvin_gui qorvin_resultpage Qt6::Network LABEL gui
  ENV "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0")
