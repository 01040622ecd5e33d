# The fuzz target with a plain main that replays the corpus of tests/data/card/fuzz (seeds and every input
# that once found a fault); the libFuzzer build of the same target comes from tools/fuzz.
add_executable(card_fuzz_replay fuzz/CardFuzzer.cpp fuzz/ReplayMain.cpp)
target_link_libraries(card_fuzz_replay PRIVATE kestrin_card project_warnings)
add_test(NAME card_fuzz_corpus_replay COMMAND card_fuzz_replay ${KESTRIN_TEST_DATA}/card/fuzz)

if(KESTRIN_BUILD_FUZZERS)
    add_executable(card_fuzzer fuzz/CardFuzzer.cpp)
    target_link_libraries(card_fuzzer PRIVATE kestrin_card project_warnings)
    target_link_options(card_fuzzer PRIVATE -fsanitize=fuzzer)
endif()
