# CLinkLabel and the desktop shell's "open" that it and the dialogs use.
# The library itself comes from button.cmake; until that is present this file creates it.
if(NOT TARGET kestrin_widgets)
    add_library(kestrin_widgets STATIC)
    target_include_directories(kestrin_widgets PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(kestrin_widgets PUBLIC Qt6::Widgets PRIVATE project_warnings)
endif()

target_sources(kestrin_widgets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CLinkLabel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CLinkLabel.h
    ${CMAKE_CURRENT_LIST_DIR}/DesktopShellOpen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DesktopShellOpen.h
    ${CMAKE_CURRENT_LIST_DIR}/IShellOpen.h)
