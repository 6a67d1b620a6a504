# The legacy innerHTML serializer, tested without a display.
if(TARGET qorvin_legacyhtml)
  qorvin_add_test(NAME tst_legacyinnerhtml SOURCES legacyhtml/tst_legacyinnerhtml.cpp LIBS qorvin_legacyhtml
    LABEL unit)
endif()
