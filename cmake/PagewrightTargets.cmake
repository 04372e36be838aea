# Build settings shared by the project's own targets, as interface targets that each target links,
# so nothing is set globally and third-party code is compiled as it comes.

# One include root: every project header is named from the top of the tree
# (#include "engine/pdf_text_extractor.h"); generated headers sit at the same place in the build tree.
add_library(pagewright_include_root INTERFACE)
target_include_directories(pagewright_include_root INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})

add_library(pagewright_warnings INTERFACE)
if(MSVC)
    target_compile_options(pagewright_warnings INTERFACE /W4 /utf-8 $<$<BOOL:${PAGEWRIGHT_WERROR}>:/WX>)
else()
    target_compile_options(pagewright_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                         $<$<BOOL:${PAGEWRIGHT_WERROR}>:-Werror>)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
        # GCC 12 reports impossible overlaps inside std::string at -O3 (GCC bug 105329).
        target_compile_options(pagewright_warnings INTERFACE -Wno-restrict)
    endif()
endif()

# What every Windows source of ours wants of <windows.h>: no min and max macros that break
# std::min and std::max, and none of the rarely used parts (sockets, cryptography, shell).
add_library(pagewright_system INTERFACE)
if(WIN32)
    target_compile_definitions(pagewright_system INTERFACE NOMINMAX WIN32_LEAN_AND_MEAN)
endif()

add_library(pagewright_sanitize INTERFACE)
if(PAGEWRIGHT_SANITIZE AND PAGEWRIGHT_SANITIZE_THREAD)
    message(FATAL_ERROR "PAGEWRIGHT_SANITIZE and PAGEWRIGHT_SANITIZE_THREAD cannot be combined")
endif()
if(PAGEWRIGHT_SANITIZE_THREAD)
    target_compile_options(pagewright_sanitize INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(pagewright_sanitize INTERFACE -fsanitize=thread)
endif()
if(PAGEWRIGHT_SANITIZE)
    target_compile_options(pagewright_sanitize INTERFACE
                           -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(pagewright_sanitize INTERFACE -fsanitize=address,undefined)
endif()

# Gives one of the project's targets the include root, the warnings, the Windows definitions and,
# when asked for, the sanitizers.
function(pagewright_defaults target)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_link_libraries(${target} INTERFACE pagewright_include_root)
        return()
    endif()
    target_link_libraries(${target} PUBLIC pagewright_include_root PRIVATE pagewright_warnings pagewright_system pagewright_sanitize)
endfunction()

# pagewright_check_target(LABEL TARGET...): check-LABEL ("/" becomes "-") builds what the tests
# labelled LABEL run, so that `scripts/test.sh --quick` builds only the tests it runs.
function(pagewright_check_target label)
    string(REPLACE "/" "-" check "check-${label}")
    if(NOT TARGET ${check})
        add_custom_target(${check})
    endif()
    add_dependencies(${check} ${ARGN})
endfunction()
