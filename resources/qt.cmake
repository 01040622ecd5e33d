# The pictures of the station (icons 128 and 138, bitmap 135), drawn by kestrin_draw_art at build time and
# compiled into kestrin_qtresources with Qt's resource compiler.
add_executable(kestrin_draw_art ${CMAKE_CURRENT_LIST_DIR}/art/DrawArt.cpp)
target_link_libraries(kestrin_draw_art PRIVATE Qt6::Gui project_warnings)

set(KESTRIN_ART_DIR ${CMAKE_CURRENT_BINARY_DIR}/art CACHE INTERNAL "Where the drawn icons and bitmap are")
set(kestrin_art_files
    ${KESTRIN_ART_DIR}/128.png ${KESTRIN_ART_DIR}/128-16.png ${KESTRIN_ART_DIR}/128-48.png
    ${KESTRIN_ART_DIR}/138.png ${KESTRIN_ART_DIR}/135.png)
# Leak checking of a sanitizer build would fail the build on Qt's one-time allocations; the drawing
# itself is checked by the tests.
add_custom_command(
    OUTPUT ${kestrin_art_files}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kestrin_draw_art> ${KESTRIN_ART_DIR}
    DEPENDS kestrin_draw_art
    COMMENT "Drawing the station's icons and product picture"
    VERBATIM)
add_custom_target(kestrin_art DEPENDS ${kestrin_art_files})

configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrin.qrc ${CMAKE_CURRENT_BINARY_DIR}/kestrin.qrc COPYONLY)
set_source_files_properties(${kestrin_art_files} PROPERTIES GENERATED TRUE)
qt_add_resources(kestrin_qrc_sources ${CMAKE_CURRENT_BINARY_DIR}/kestrin.qrc)

add_library(kestrin_qtresources STATIC
    ${CMAKE_CURRENT_LIST_DIR}/KestrinResources.cpp ${CMAKE_CURRENT_LIST_DIR}/KestrinResources.h
    ${kestrin_qrc_sources})
add_dependencies(kestrin_qtresources kestrin_art)
target_include_directories(kestrin_qtresources PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kestrin_qtresources PUBLIC Qt6::Gui PRIVATE project_warnings)
