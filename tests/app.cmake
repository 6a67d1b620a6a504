# The window: its controls, layout, menu toggles, site links and pictures.
if(NOT QORVIN_BUILD_GUI)
  return()
endif()
qorvin_add_test(NAME tst_resizelayout SOURCES app/tst_resizelayout.cpp LIBS qorvin_gui LABEL gui)
qorvin_add_test(NAME tst_pictures SOURCES app/tst_pictures.cpp LIBS qorvin_gui LABEL gui)
qorvin_add_test(NAME tst_frmmain SOURCES app/tst_frmmain.cpp LIBS qorvin_gui LABEL gui)
qorvin_add_test(NAME tst_framepacedtext SOURCES app/tst_framepacedtext.cpp LIBS qorvin_gui LABEL gui)
