foreach(name help_command about_box)
    if(name STREQUAL help_command)
        set(source HelpCommandTest.cpp)
    else()
        set(source CAboutDlgTest.cpp)
    endif()
    add_executable(${name}_tests ${CMAKE_CURRENT_LIST_DIR}/${source})
    set_target_properties(${name}_tests PROPERTIES AUTOMOC ON)
    target_include_directories(${name}_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../widgets)
    target_link_libraries(${name}_tests PRIVATE
        kestrin_app_dialogs kestrin_qtresources kestrin_settings_store Qt6::Test project_warnings)
    add_test(NAME ${name}_tests COMMAND ${name}_tests)
    set_tests_properties(${name}_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endforeach()

# Help and About in the real station under Xvfb, with a recording PDF application. The manual is built
# into the top of the build tree by docs/docs.cmake.
find_program(KESTRIN_XVFB Xvfb)
find_program(KESTRIN_XDOTOOL xdotool)
if(TARGET kestrin AND KESTRIN_XVFB AND KESTRIN_XDOTOOL)
    add_test(NAME help_about_e2e
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/help_about_e2e.sh $<TARGET_FILE:kestrin> ${CMAKE_BINARY_DIR}
                     ${KESTRIN_ART_DIR} ${CMAKE_BINARY_DIR}/artifacts/help_about)
    set_tests_properties(help_about_e2e PROPERTIES TIMEOUT 120)
endif()
