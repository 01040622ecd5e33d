# QtTest suites of the owner-drawn button and the dialog-unit and font helpers, run on the offscreen platform.
function(kestrin_widget_test name)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE kestrin_widgets Qt6::Test project_warnings)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

kestrin_widget_test(DialogUnitsTest)
kestrin_widget_test(FontsTest)
kestrin_widget_test(CDrawnButtonTest)
