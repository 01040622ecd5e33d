# The About box and the Help command.
add_library(kestrin_app_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/CAboutDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/HelpCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpCommand.h)
target_include_directories(kestrin_app_dialogs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_app_dialogs
    PUBLIC kestrin_widgets Qt6::Widgets
    PRIVATE kestrin_qtresources kestrin_settings_store kestrin_resources project_warnings)
