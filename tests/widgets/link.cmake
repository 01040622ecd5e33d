add_executable(link_label_tests
    ${CMAKE_CURRENT_LIST_DIR}/CLinkLabelTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FakeShellOpen.h
    ${CMAKE_CURRENT_LIST_DIR}/ModalSpy.h)
set_target_properties(link_label_tests PROPERTIES AUTOMOC ON)
target_link_libraries(link_label_tests PRIVATE kestrin_widgets Qt6::Test project_warnings)
add_test(NAME link_label_tests COMMAND link_label_tests)

add_executable(shell_open_tests ${CMAKE_CURRENT_LIST_DIR}/DesktopShellOpenTest.cpp)
set_target_properties(shell_open_tests PROPERTIES AUTOMOC ON)
target_link_libraries(shell_open_tests PRIVATE kestrin_widgets Qt6::Test project_warnings)
add_test(NAME shell_open_tests COMMAND shell_open_tests)
set_tests_properties(link_label_tests shell_open_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

# The offscreen platform opens no documents, so the road through xdg-open to the desktop's default viewer
# is taken on a real X server.
find_program(KESTRIN_XVFB Xvfb)
if(KESTRIN_XVFB)
    add_test(NAME shell_open_desktop_tests
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/with-xvfb $<TARGET_FILE:shell_open_tests>
                     desktopDefaultViewerOpensThePdf)
    set_tests_properties(shell_open_desktop_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb")
endif()
