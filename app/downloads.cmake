# The window side of downloading: the result view's menu and clicks, the downloads window, the
# status bar's downloads panel. The queue itself is qorvin_download.
add_library(qorvin_downloadsui STATIC
  downloads/downloadlistmodel.cpp downloads/downloadlistmodel.h
  downloads/downloadstatuspanel.cpp downloads/downloadstatuspanel.h
  downloads/downloadswindow.cpp downloads/downloadswindow.h
  downloads/progressdelegate.cpp downloads/progressdelegate.h
  downloads/resultsonglinks.cpp downloads/resultsonglinks.h
  downloads/songdownloads.cpp downloads/songdownloads.h
  downloads/transfertext.cpp downloads/transfertext.h)
target_link_libraries(qorvin_downloadsui
  PUBLIC qorvin_download qorvin_browser Qt6::Widgets
  PRIVATE qorvin_legacyhtml qorvin_options)
