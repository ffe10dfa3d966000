# Compiler settings shared by every target of the project: link the interface
# target tabloria_options PRIVATE to get them.
add_library(tabloria_options INTERFACE)
target_compile_options(tabloria_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wnull-dereference
    -Wformat=2 -Wimplicit-fallthrough)
target_compile_definitions(tabloria_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_BEFORE=0x060200)
if(TABLORIA_WERROR)
    target_compile_options(tabloria_options INTERFACE -Werror)
endif()
if(TABLORIA_SANITIZE)
    target_compile_options(tabloria_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tabloria_options INTERFACE -fsanitize=address,undefined)
endif()
