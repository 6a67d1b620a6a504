# The embedded browser WebBrowser1 over Qt WebEngine.
find_package(Qt6 REQUIRED COMPONENTS Widgets Quick WebEngineWidgets)
add_library(qorvin_browser STATIC
  browser/browserpage.cpp browser/browserpage.h
  browser/navigationtracker.cpp browser/navigationtracker.h
  browser/softwarerendering.cpp browser/softwarerendering.h
  browser/urlopener.cpp browser/urlopener.h
  browser/webbrowser.cpp browser/webbrowser.h)
target_link_libraries(qorvin_browser
  PUBLIC Qt6::Widgets Qt6::WebEngineWidgets qorvin_crawlstate
  PRIVATE Qt6::Quick qorvin_search qorvin_legacyhtml qorvin_options)
