# Seeded with valid files (the sample is too long for the runs' input limit; every-property-type.json
# holds one property of each type instead).
pp_add_fuzzer(DocumentFileFuzzer SOURCES DocumentFileFuzzer.cpp LIBS headless-document RUNS 20000
    DICT DocumentFileFuzzer.dict
    SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/every-property-type.json
          ${PROJECT_SOURCE_DIR}/tests/scenarios/documents/panel-cases.json
          ${PROJECT_SOURCE_DIR}/tests/scenarios/documents/two-squares.json
          ${PROJECT_SOURCE_DIR}/tests/scenarios/documents/unreadable.json)
