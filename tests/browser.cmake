# WebBrowser1: its address encoding and load bookkeeping alone, then the component against the
# real engine offscreen with a recording proxy.
if(TARGET qorvin_browser)
  find_package(Qt6 REQUIRED COMPONENTS Network)
  set(browser_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/browser)
  qorvin_add_test(NAME tst_navigationurl SOURCES ${browser_test_dir}/tst_navigationurl.cpp
    LIBS qorvin_browser LABEL unit)
  qorvin_add_test(NAME tst_navigationtracker SOURCES ${browser_test_dir}/tst_navigationtracker.cpp
    LIBS qorvin_browser LABEL unit)
  qorvin_add_test(NAME tst_webbrowser
    SOURCES ${browser_test_dir}/tst_webbrowser.cpp
            ${browser_test_dir}/recordingproxy.cpp ${browser_test_dir}/recordingproxy.h
    LIBS qorvin_browser Qt6::Network LABEL e2e)
endif()
