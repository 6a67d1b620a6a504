# libFuzzer targets (clang only). The code under test is compiled into each fuzzer, so that
# libFuzzer sees its coverage and the sanitizers see its memory.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "QORVIN_BUILD_FUZZERS needs clang++ (the fuzz preset sets it)")
endif()

set(qorvin_fuzz_flags -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)

# Adds the .cpp sources of the given libraries to a fuzzer; headers come from the top of the tree.
function(qorvin_fuzz_compile_in fuzzer)
  foreach(lib IN LISTS ARGN)
    get_target_property(lib_dir ${lib} SOURCE_DIR)
    get_target_property(lib_sources ${lib} SOURCES)
    foreach(source IN LISTS lib_sources)
      if(source MATCHES "\\.cpp$")
        if(NOT IS_ABSOLUTE ${source})
          set(source ${lib_dir}/${source})
        endif()
        target_sources(${fuzzer} PRIVATE ${source})
      endif()
    endforeach()
  endforeach()
endfunction()

function(qorvin_add_fuzzer name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${qorvin_fuzz_flags})
  target_link_options(${name} PRIVATE ${qorvin_fuzz_flags})
  target_link_libraries(${name} PRIVATE Qt6::Core qorvin_options)
endfunction()

# The three scrapers, checked against the literal page readers on every input.
qorvin_add_fuzzer(fuzz_scrapers ${CMAKE_CURRENT_LIST_DIR}/fuzz_scrapers.cpp)
qorvin_fuzz_compile_in(fuzz_scrapers qorvin_scrape_literal qorvin_scrape qorvin_crawlstate qorvin_base)

# The legacy innerHTML serializer over gumbo.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QORVIN_FUZZ_GUMBO REQUIRED IMPORTED_TARGET gumbo)
qorvin_add_fuzzer(fuzz_innerhtml ${CMAKE_CURRENT_LIST_DIR}/fuzz_innerhtml.cpp)
qorvin_fuzz_compile_in(fuzz_innerhtml qorvin_legacyhtml)
target_link_libraries(fuzz_innerhtml PRIVATE PkgConfig::QORVIN_FUZZ_GUMBO)
