# The option items (no Qt: the menu is an interface) and the valid-age dialog (Qt Widgets).
add_library(kestrin_options STATIC
    ${CMAKE_CURRENT_LIST_DIR}/IMenu.h
    ${CMAKE_CURRENT_LIST_DIR}/iMenuItem.cpp ${CMAKE_CURRENT_LIST_DIR}/iMenuItem.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Comments.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Comments.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Log.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Log.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuItem_OnlyValidAge.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuItem_OnlyValidAge.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Ontop.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuItem_Ontop.h)
target_include_directories(kestrin_options PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_options PUBLIC kestrin_settings_store PRIVATE project_warnings)

add_library(kestrin_settings_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/UpDownControl.cpp ${CMAKE_CURRENT_LIST_DIR}/UpDownControl.h
    ${CMAKE_CURRENT_LIST_DIR}/ValidAge.cpp ${CMAKE_CURRENT_LIST_DIR}/ValidAge.h)
target_include_directories(kestrin_settings_dialogs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_settings_dialogs PUBLIC kestrin_settings_store kestrin_widgets Qt6::Widgets
    PRIVATE project_warnings)
set_target_properties(kestrin_settings_dialogs PROPERTIES AUTOMOC ON)
