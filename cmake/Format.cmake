# `format` rewrites every C++ file of the repository in the .clang-format style; `format-check` (run by
# tools/test) fails when one is not.
find_program(KESTRIN_CLANG_FORMAT NAMES clang-format-14 clang-format)
if(NOT KESTRIN_CLANG_FORMAT)
    return()
endif()
add_custom_target(format
    COMMAND ${CMAKE_SOURCE_DIR}/tools/format --fix
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "clang-format on every C++ file"
    VERBATIM)
add_custom_target(format-check
    COMMAND ${CMAKE_SOURCE_DIR}/tools/format
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Checking every C++ file against .clang-format"
    VERBATIM)
