# WebBrowser1: its address encoding and load bookkeeping alone, then the component against the
# real engine offscreen with a recording proxy.
if(QORVIN_BUILD_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Network)
  set(browser_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/browser)
  qorvin_add_test(NAME tst_navigationtracker SOURCES ${browser_test_dir}/tst_navigationtracker.cpp
    LIBS qorvin_browser LABEL unit)
  qorvin_add_test(NAME tst_webbrowser
    SOURCES ${browser_test_dir}/tst_webbrowser.cpp
            ${browser_test_dir}/recordingproxy.cpp ${browser_test_dir}/recordingproxy.h
    LIBS qorvin_browser qorvin_scrape qorvin_resultpage Qt6::Network LABEL e2e)
  # Turning a link away is where the engine deletes one of its own objects through a base of
  # another size; AddressSanitizer reports that inside the engine, so that one check is off here.
  qorvin_add_test(NAME tst_resultpagelinks SOURCES ${browser_test_dir}/tst_resultpagelinks.cpp
    LIBS qorvin_browser LABEL e2e
    ENV "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0")
endif()
