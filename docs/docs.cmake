# The user manual: docs/manual.md rendered into KestrinHelp.pdf in the build tree at build time. The
# station finds it through the "App Folder" setting; the installation puts it in the application folder.
add_executable(kestrin_render_manual ${CMAKE_CURRENT_LIST_DIR}/RenderManual.cpp)
target_link_libraries(kestrin_render_manual PRIVATE Qt6::Gui project_warnings)

set(KESTRIN_HELP_PDF ${CMAKE_BINARY_DIR}/KestrinHelp.pdf CACHE INTERNAL "The rendered user manual")
# Leak checking of a sanitizer build would fail the build on Qt's one-time allocations.
add_custom_command(
    OUTPUT ${KESTRIN_HELP_PDF}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:kestrin_render_manual> ${CMAKE_CURRENT_LIST_DIR}/manual.md ${KESTRIN_HELP_PDF}
    DEPENDS kestrin_render_manual ${CMAKE_CURRENT_LIST_DIR}/manual.md
    COMMENT "Rendering the user manual into KestrinHelp.pdf"
    VERBATIM)
add_custom_target(kestrin_manual ALL DEPENDS ${KESTRIN_HELP_PDF})

if(KESTRIN_BUILD_TESTS)
    add_test(NAME manual_pdf COMMAND ${CMAKE_SOURCE_DIR}/tests/docs/check-manual ${KESTRIN_HELP_PDF})
endif()
