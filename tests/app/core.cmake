# Tests of the station's logic without a window: scan cycle, key translation, display layout, lock.
add_executable(app_core_tests
    ${CMAKE_CURRENT_LIST_DIR}/DisplayLayoutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FakeScanHost.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyboardLockPolicyTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyTranslationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanCycleTest.cpp)
target_link_libraries(app_core_tests PRIVATE kestrin_app_core GTest::gtest_main project_warnings)
# The tests that decode point KESTRIN_REGISTRY at a temporary hive of their own; this one keeps any other
# reader of the settings away from the machine's hive.
gtest_discover_tests(app_core_tests PROPERTIES ENVIRONMENT "KESTRIN_REGISTRY=${CMAKE_CURRENT_BINARY_DIR}/no-such-hive.reg")
