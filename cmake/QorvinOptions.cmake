# Where `cmake --install` puts things: bin/, share/, share/man/, share/doc/mp3qorvin/ under the prefix.
include(GNUInstallDirs)

# One INTERFACE target carries the flags every target of the project shares.
add_library(qorvin_options INTERFACE)
target_compile_features(qorvin_options INTERFACE cxx_std_20)
# Headers are included by their folder from the top of the tree: "download/downloadqueue.h".
target_include_directories(qorvin_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(qorvin_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH)
# The one version of the programs, the package and the metainfo: project(VERSION).
target_compile_definitions(qorvin_options INTERFACE QORVIN_VERSION="${PROJECT_VERSION}")
target_compile_options(qorvin_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wshadow -Wnon-virtual-dtor
  -Wcast-align -Wformat=2 -Wimplicit-fallthrough)
if(QORVIN_WARNINGS_AS_ERRORS)
  target_compile_options(qorvin_options INTERFACE -Werror)
endif()
if(QORVIN_SANITIZE)
  target_compile_options(qorvin_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qorvin_options INTERFACE -fsanitize=address,undefined)
endif()

# Adds one QtTest executable and registers it with CTest under a label.
#   qorvin_add_test(NAME n SOURCES a.cpp ... LIBS lib ... LABEL unit|gui|e2e [ENV VAR=value ...])
function(qorvin_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS} qorvin_options)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1")
  if(QORVIN_SANITIZE)
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0" "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  list(APPEND env ${T_ENV})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# Lets a test or benchmark start the project's programs by path: QORVIN_SERVICE_PROGRAM for
# SERVICE, QORVIN_CLI_PROGRAM for CLI; each program is built before it.
#   qorvin_uses_programs(target [SERVICE] [CLI])
function(qorvin_uses_programs target)
  cmake_parse_arguments(P "SERVICE;CLI" "" "" ${ARGN})
  if(P_SERVICE)
    target_compile_definitions(${target} PRIVATE QORVIN_SERVICE_PROGRAM="$<TARGET_FILE:mp3qorvin-service>")
    add_dependencies(${target} mp3qorvin-service)
  endif()
  if(P_CLI)
    target_compile_definitions(${target} PRIVATE QORVIN_CLI_PROGRAM="$<TARGET_FILE:mp3qorvin-cli>")
    add_dependencies(${target} mp3qorvin-cli)
  endif()
endfunction()

# Installs a man page or a changelog gzip-compressed without a time stamp, as Debian keeps them.
#   qorvin_install_gzipped(FILE path DESTINATION dir)
function(qorvin_install_gzipped)
  cmake_parse_arguments(G "" "FILE;DESTINATION" "" ${ARGN})
  cmake_path(GET G_FILE FILENAME name)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name})
  set(packed ${copy}.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E copy ${G_FILE} ${copy}
    COMMAND gzip -9 -n -f ${copy}
    DEPENDS ${G_FILE} VERBATIM)
  string(MAKE_C_IDENTIFIER "qorvin_gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${packed})
  install(FILES ${packed} DESTINATION ${G_DESTINATION})
endfunction()
