# The browser draws only while the search panel leaves it in sight; the real engine, offscreen.
if(NOT QORVIN_BUILD_GUI)
  return()
endif()
qorvin_add_test(NAME tst_browsercover SOURCES app/tst_browsercover.cpp LIBS qorvin_gui LABEL gui)
