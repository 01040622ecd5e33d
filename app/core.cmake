# The station's logic without a window: the scan cycle, the key translation with the US layout the reader
# uses (and its feed from Qt key events), the result display as text items and the keyboard lock's
# decision.
add_library(kestrin_app_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CycleDisplay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CycleDisplay.h
    ${CMAKE_CURRENT_LIST_DIR}/DisplayLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/DisplayState.h
    ${CMAKE_CURRENT_LIST_DIR}/IKeyboardLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyboardLockPolicy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyboardLockPolicy.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyTranslation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyTranslation.h
    ${CMAKE_CURRENT_LIST_DIR}/QtKeyInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtKeyInput.h
    ${CMAKE_CURRENT_LIST_DIR}/ScanCycle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanCycle.h
    ${CMAKE_CURRENT_LIST_DIR}/UsKeyboardLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UsKeyboardLayout.h)
target_include_directories(kestrin_app_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# Qt Gui only for QtKeyInput, the feed from QKeyEvent.
target_link_libraries(kestrin_app_core PUBLIC kestrin_card kestrin_resources Qt6::Gui PRIVATE project_warnings)
