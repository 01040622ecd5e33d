# One place for the compiler flags every Kestrin target shares.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(KESTRIN_WERROR)
    target_compile_options(project_warnings INTERFACE -Werror)
endif()
# Qt strings meet byte strings all over the station: every conversion has to be spelled out.
target_compile_definitions(project_warnings INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

if(KESTRIN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
