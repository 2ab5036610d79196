pp_add_fuzzer(SelectorParserFuzzer SOURCES SelectorParserFuzzer.cpp LIBS html-dom RUNS 20000)
