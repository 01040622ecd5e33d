# QtTest suites of the station window, its painter and its lock, run on the offscreen platform.
function(kestrin_station_test name)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeStationLock.h)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(${name} PRIVATE kestrin_app kestrin_qtresources Qt6::Test project_warnings)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

kestrin_station_test(KeyRouteTest)
kestrin_station_test(KeyboardLockTest)
kestrin_station_test(DisplayPainterTest)
kestrin_station_test(MainDlgTest)
