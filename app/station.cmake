# The station window (MainDlg with its menu, painter and station lock) and the kestrin executable.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB_XFIXES REQUIRED IMPORTED_TARGET xcb xcb-xfixes)

add_library(kestrin_app STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DisplayPainter.cpp ${CMAKE_CURRENT_LIST_DIR}/DisplayPainter.h
    ${CMAKE_CURRENT_LIST_DIR}/Guarded.h
    ${CMAKE_CURRENT_LIST_DIR}/ICursorConfinement.h
    ${CMAKE_CURRENT_LIST_DIR}/IKeyboardGrab.h
    ${CMAKE_CURRENT_LIST_DIR}/Kestrin.cpp ${CMAKE_CURRENT_LIST_DIR}/Kestrin.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyboardLock.cpp ${CMAKE_CURRENT_LIST_DIR}/KeyboardLock.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyRoute.cpp ${CMAKE_CURRENT_LIST_DIR}/KeyRoute.h
    ${CMAKE_CURRENT_LIST_DIR}/MainDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/MainDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/NullCursorConfinement.h
    ${CMAKE_CURRENT_LIST_DIR}/NullKeyboardGrab.h
    ${CMAKE_CURRENT_LIST_DIR}/QtMenu.cpp ${CMAKE_CURRENT_LIST_DIR}/QtMenu.h
    ${CMAKE_CURRENT_LIST_DIR}/StationLockFactory.cpp ${CMAKE_CURRENT_LIST_DIR}/StationLockFactory.h
    ${CMAKE_CURRENT_LIST_DIR}/StationTrace.cpp ${CMAKE_CURRENT_LIST_DIR}/StationTrace.h
    ${CMAKE_CURRENT_LIST_DIR}/X11CursorConfinement.cpp ${CMAKE_CURRENT_LIST_DIR}/X11CursorConfinement.h
    ${CMAKE_CURRENT_LIST_DIR}/X11KeyboardGrab.cpp ${CMAKE_CURRENT_LIST_DIR}/X11KeyboardGrab.h)
target_include_directories(kestrin_app PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_app
    PUBLIC kestrin_app_core kestrin_options kestrin_widgets Qt6::Widgets
    PRIVATE kestrin_app_dialogs kestrin_log kestrin_settings_dialogs kestrin_qtresources PkgConfig::XCB_XFIXES
            project_warnings)

add_executable(kestrin ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(kestrin PRIVATE kestrin_app kestrin_qtresources kestrin_widgets Qt6::Widgets project_warnings)
