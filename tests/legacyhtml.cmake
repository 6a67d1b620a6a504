# The legacy innerHTML serializer, tested without a display.
qorvin_add_test(NAME tst_songlinktext SOURCES legacyhtml/tst_songlinktext.cpp LIBS qorvin_legacyhtml qorvin_download
  LABEL unit)
qorvin_add_test(NAME tst_legacyinnerhtml SOURCES legacyhtml/tst_legacyinnerhtml.cpp LIBS qorvin_legacyhtml
  LABEL unit)
