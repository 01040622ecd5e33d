# kestrin-decode on the fixtures: exact bytes, exit codes, unknown-swipe file.
add_test(NAME kestrin_decode_cli
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/kestrin_decode_test.sh $<TARGET_FILE:kestrin-decode> ${KESTRIN_TEST_DATA}/card)
