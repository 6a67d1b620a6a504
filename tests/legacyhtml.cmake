# The legacy innerHTML serializer, tested without a display.
qorvin_add_test(NAME tst_legacyinnerhtml SOURCES legacyhtml/tst_legacyinnerhtml.cpp LIBS qorvin_legacyhtml
  LABEL unit)
