# The writer of result.htm and the place it is written to: Qt6::Core only.
add_library(qorvin_resultpage STATIC
  resultlocation.cpp resultlocation.h
  resultpagetemplate.cpp resultpagetemplate.h
  resultpagewriter.cpp resultpagewriter.h)
target_link_libraries(qorvin_resultpage PUBLIC Qt6::Core PRIVATE qorvin_crawlstate qorvin_base qorvin_options)
