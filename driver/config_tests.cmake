brelvik_test(config_test config_test.cc LIBS driver)
