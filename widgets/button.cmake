# The widget kit library: the owner-drawn button and the dialog-unit and font helpers every dialog uses.
# The hyperlink label adds its sources to the same library (link.cmake).
add_library(kestrin_widgets STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CDrawnButton.cpp ${CMAKE_CURRENT_LIST_DIR}/CDrawnButton.h
    ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.cpp ${CMAKE_CURRENT_LIST_DIR}/DialogUnits.h
    ${CMAKE_CURRENT_LIST_DIR}/Fonts.cpp ${CMAKE_CURRENT_LIST_DIR}/Fonts.h)
set_target_properties(kestrin_widgets PROPERTIES AUTOMOC ON)
target_include_directories(kestrin_widgets PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_widgets PUBLIC Qt6::Widgets PRIVATE project_warnings)
