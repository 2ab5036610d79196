# Each layer's #include lines point only at itself and the layers below it:
#   host/                          the host's declarations: nothing but host/
#   service-common/                + host/
#   ui-engine/                     + service-common/
#   ui-document-panel-properties/  + ui-engine/
#   module/                        + ui-document-panel-properties/
#   headless-host/                 host/, service-common/ and itself: never the module's code
# Module code never sees the headless host: it must build against the real one. An include that
# climbs out of its folder ("../") is refused everywhere.
# Usage: cmake -DROOT=<source tree> -P IncludeLayers.cmake
cmake_minimum_required(VERSION 3.25)

set(allowed_host "host")
set(allowed_service-common "host;service-common")
set(allowed_ui-engine "host;service-common;ui-engine")
set(allowed_ui-document-panel-properties "host;service-common;ui-engine;ui-document-panel-properties")
set(allowed_module "host;service-common;ui-engine;ui-document-panel-properties;module")
set(allowed_headless-host "host;service-common;headless-host")

set(faults "")
set(checked 0)
foreach(layer host service-common ui-engine ui-document-panel-properties module headless-host)
    file(GLOB_RECURSE files LIST_DIRECTORIES false "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp"
         "${ROOT}/${layer}/*.in")
    foreach(file IN LISTS files)
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" target "${line}")
            file(RELATIVE_PATH where "${ROOT}" "${file}")
            if(target MATCHES "\\.\\./")
                string(APPEND faults "${where}: ${target} climbs out of its folder\n")
            elseif(target MATCHES "^([^/]+)/")
                set(top "${CMAKE_MATCH_1}")
                if(NOT top IN_LIST allowed_${layer})
                    string(APPEND faults "${where}: ${target} is not below ${layer}/\n")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()
if(checked LESS 100)
    message(FATAL_ERROR "only ${checked} files found under ${ROOT}: is ROOT the source tree?")
endif()
if(faults)
    message(FATAL_ERROR "includes that point up or across the layers:\n${faults}")
endif()
message(STATUS "${checked} files include only what lies below them")
