# Compiles SOURCE with -DCASE (syntax only) and checks the outcome: EXPECT is "success", or a text
# the compiler's diagnostics must contain.
# Usage: cmake -DCOMPILER=... -DSTANDARD=c++20 -DINCLUDE=... -DSOURCE=... -DCASE=... -DEXPECT=... -P CompileCase.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(
    COMMAND ${COMPILER} -std=${STANDARD} -fsyntax-only -I${INCLUDE} -D${CASE} ${SOURCE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(EXPECT STREQUAL "success")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${CASE} should compile but does not:\n${output}")
    endif()
elseif(result EQUAL 0)
    message(FATAL_ERROR "${CASE} compiles, but should fail with \"${EXPECT}\"")
else()
    string(FIND "${output}" "${EXPECT}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${CASE} fails, but not with \"${EXPECT}\":\n${output}")
    endif()
endif()
