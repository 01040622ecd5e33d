# The package's changelog (cmake/debian/changelog) is where a release's version and date are written down:
# its newest entry must carry the project's version, and its date goes into the man pages.
#   KESTRIN_CHANGELOG     the changelog file
#   KESTRIN_RELEASE_DATE  the newest entry's date as YYYY-MM-DD

set(KESTRIN_CHANGELOG ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KESTRIN_CHANGELOG})
file(STRINGS ${KESTRIN_CHANGELOG} changelog_lines)

list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^kestrin \\(([^)]+)\\) ")
    message(FATAL_ERROR "${KESTRIN_CHANGELOG}: the first line is not a changelog entry's heading")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${KESTRIN_CHANGELOG}: the newest entry is ${CMAKE_MATCH_1}, the project is "
                        "${PROJECT_VERSION}; add an entry for this version")
endif()

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        list(FIND months ${CMAKE_MATCH_2} month)
        if(month LESS 0)
            message(FATAL_ERROR "${KESTRIN_CHANGELOG}: no month ${CMAKE_MATCH_2} in \"${line}\"")
        endif()
        math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
        if(month LESS 10)
            set(month 0${month})
        endif()
        set(KESTRIN_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
        break()
    endif()
endforeach()
if(NOT KESTRIN_RELEASE_DATE)
    message(FATAL_ERROR "${KESTRIN_CHANGELOG}: the newest entry has no trailer line with a date")
endif()
