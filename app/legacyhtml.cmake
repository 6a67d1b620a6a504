# The legacy innerHTML serializer: Qt6::Core and gumbo, no widgets, unit-tested without a display.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
add_library(qorvin_legacyhtml STATIC
  legacyhtml/gumboarena.cpp legacyhtml/gumboarena.h
  legacyhtml/legacyinnerhtml.cpp legacyhtml/legacyinnerhtml.h
  legacyhtml/songlinktext.cpp legacyhtml/songlinktext.h)
target_link_libraries(qorvin_legacyhtml PUBLIC Qt6::Core PRIVATE PkgConfig::GUMBO qorvin_options)
