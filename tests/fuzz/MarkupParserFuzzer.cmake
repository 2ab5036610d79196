pp_add_fuzzer(MarkupParserFuzzer SOURCES MarkupParserFuzzer.cpp LIBS html-dom RUNS 20000)
