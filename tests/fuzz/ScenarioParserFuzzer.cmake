# headless-app for the runner's argument checks (ScenarioRunner::Validate), which need no running host.
file(GLOB pp_scenario_seeds ${PROJECT_SOURCE_DIR}/tests/scenarios/*.scenario)
pp_add_fuzzer(ScenarioParserFuzzer SOURCES ScenarioParserFuzzer.cpp LIBS headless-app RUNS 20000
    DICT ScenarioParserFuzzer.dict
    SEEDS ${pp_scenario_seeds})
