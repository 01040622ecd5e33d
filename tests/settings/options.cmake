# The option items against a real hive file (GoogleTest), and the valid-age dialog (QtTest, offscreen).
add_executable(option_items_tests ${CMAKE_CURRENT_LIST_DIR}/OptionItemsTest.cpp)
target_link_libraries(option_items_tests PRIVATE kestrin_options GTest::gtest_main project_warnings)
gtest_discover_tests(option_items_tests)

add_executable(ValidAgeTest ${CMAKE_CURRENT_LIST_DIR}/ValidAgeTest.cpp)
set_target_properties(ValidAgeTest PROPERTIES AUTOMOC ON)
target_link_libraries(ValidAgeTest PRIVATE kestrin_settings_dialogs Qt6::Test project_warnings)
add_test(NAME ValidAgeTest COMMAND ValidAgeTest)
set_tests_properties(ValidAgeTest PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
