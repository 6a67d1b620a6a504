# The window side of downloading against the real engine offscreen: the result view's menu, link
# clicks, the question before quitting, the downloads list and the status bar panel.
if(NOT TARGET qorvin_gui)
  return()
endif()
qorvin_add_test(NAME tst_songdownloads SOURCES app/tst_songdownloads.cpp
  LIBS qorvin_gui qorvin_resultpage Qt6::Network LABEL gui
  ENV "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0")
qorvin_add_test(NAME tst_downloadtexts SOURCES app/tst_downloadtexts.cpp LIBS qorvin_gui LABEL unit)
