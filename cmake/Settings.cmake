# One target carries the compiler settings every library, tool and test links to.
add_library(hnemar_settings INTERFACE)
target_compile_features(hnemar_settings INTERFACE cxx_std_20)
target_compile_options(hnemar_settings INTERFACE
    -Wall -Wextra -pedantic -Wold-style-cast -Wnon-virtual-dtor -Werror)
target_compile_definitions(hnemar_settings INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS _GLIBCXX_ASSERTIONS)

option(HNEMAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(HNEMAR_SANITIZE)
    target_compile_options(hnemar_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(hnemar_settings INTERFACE -fsanitize=address,undefined)
endif()
