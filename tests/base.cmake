# The shared helpers.
qorvin_add_test(NAME tst_openforreading SOURCES base/tst_openforreading.cpp LIBS qorvin_base LABEL unit)
