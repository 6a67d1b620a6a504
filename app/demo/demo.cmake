# The window driver the demo, the end-to-end tests and the crawl benchmark share, and the demo.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_library(qorvin_windowdriver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/windowdriver.cpp ${CMAKE_CURRENT_LIST_DIR}/windowdriver.h)
target_link_libraries(qorvin_windowdriver PUBLIC qorvin_gui Qt6::Test PRIVATE qorvin_options)

add_executable(mp3qorvin-demo ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(mp3qorvin-demo PRIVATE qorvin_windowdriver qorvin_options)
set_target_properties(mp3qorvin-demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
