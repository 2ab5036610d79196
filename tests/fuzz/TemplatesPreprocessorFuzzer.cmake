pp_add_fuzzer(TemplatesPreprocessorFuzzer SOURCES TemplatesPreprocessorFuzzer.cpp LIBS ui-engine headless-services RUNS 20000)
