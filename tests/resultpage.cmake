# The result page writer and the place of result.htm.
qorvin_add_test(NAME tst_resultpagewriter SOURCES resultpage/tst_resultpagewriter.cpp resultpage/pagelines.h
  LIBS qorvin_resultpage LABEL unit)
qorvin_add_test(NAME tst_resultlocation SOURCES resultpage/tst_resultlocation.cpp LIBS qorvin_resultpage LABEL unit)
