# Compiler options shared by every target of the project: warnings and sanitizers.
add_library(pp_options INTERFACE)
# Designated initialisers that leave members to their defaults are the point of them.
target_compile_options(pp_options INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
# GCC marks some template statics "unique" process-wide symbols, and a library holding one can never
# be unloaded: the module would outlive the host's unloading of it and run its static destructors at
# exit, after the libraries they refer to are gone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(pp_options INTERFACE -fno-gnu-unique)
endif()
if(PP_WARNINGS_AS_ERRORS)
    target_compile_options(pp_options INTERFACE -Werror)
endif()

if(PP_SANITIZE)
    string(REPLACE ";" "," pp_sanitizers "${PP_SANITIZE}")
    add_compile_options(-fsanitize=${pp_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${pp_sanitizers})
endif()

# Fuzz builds instrument all code for coverage, so that the harnesses find their way past the
# first branches of the code they drive.
if(PP_BUILD_FUZZERS)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# pp_hidden_visibility(target): the code that ends up inside the module is built hidden, so that the
# shared library exports only what it marks for export.
function(pp_hidden_visibility target)
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
endfunction()
