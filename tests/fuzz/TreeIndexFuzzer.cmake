pp_add_fuzzer(TreeIndexFuzzer SOURCES TreeIndexFuzzer.cpp LIBS html-dom RUNS 2000)
