# The layers under src/ may only point down: a source in src/<layer>/ includes headers of its own
# folder and of the layers its library links (directly or through another), never of a layer above.
# The edges are read from the libraries themselves (kelpix_<layer>'s LINK_LIBRARIES), so that the
# CMake files are the one place they are declared. Checked on every build; a wrong include fails it.
#
# Configure: kelpix_check_layers(<src dir>). Build: cmake -DLAYERS=<file> -DSTAMP=<file> -P layers.cmake

# The kelpix_* libraries `target` reaches, as layer names.
function(_kelpix_layers_below target out)
    set(seen "")
    set(todo ${target})
    while(todo)
        list(POP_FRONT todo current)
        get_target_property(links ${current} LINK_LIBRARIES)
        foreach(link IN LISTS links)
            if(link MATCHES "^kelpix_(.+)$" AND TARGET ${link} AND NOT CMAKE_MATCH_1 IN_LIST seen)
                list(APPEND seen ${CMAKE_MATCH_1})
                list(APPEND todo ${link})
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(kelpix_check_layers src)
    file(GLOB layers RELATIVE ${src} LIST_DIRECTORIES true ${src}/*)
    set(map "set(KELPIX_LAYERS \"\")\n")
    set(sources "")
    foreach(layer IN LISTS layers)
        # Only the layers this build makes (the host builds core alone).
        if(NOT IS_DIRECTORY ${src}/${layer} OR NOT TARGET kelpix_${layer})
            continue()
        endif()
        _kelpix_layers_below(kelpix_${layer} below)
        file(GLOB files ${src}/${layer}/*.h ${src}/${layer}/*.cpp)
        list(APPEND sources ${files})
        string(APPEND map "list(APPEND KELPIX_LAYERS ${layer})\nset(KELPIX_BELOW_${layer} \"${below}\")\n"
                          "set(KELPIX_FILES_${layer} \"${files}\")\n")
    endforeach()
    string(APPEND map "set(KELPIX_ALL_LAYERS \"${layers}\")\n")
    set(map_file ${CMAKE_BINARY_DIR}/kelpix_layers.cmake)
    file(WRITE ${map_file} "${map}")
    set(stamp ${CMAKE_BINARY_DIR}/kelpix_layers.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DLAYERS=${map_file} -DSTAMP=${stamp} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        DEPENDS ${sources} ${map_file} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        COMMENT "Checking that no layer includes a header of a layer above it")
    add_custom_target(kelpix_layer_check ALL DEPENDS ${stamp})
    # Before anything of the program compiles.
    add_dependencies(kelpix_core kelpix_layer_check)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND LAYERS)
    cmake_policy(VERSION 3.25)
    include(${LAYERS})
    set(wrong "")
    foreach(layer IN LISTS KELPIX_LAYERS)
        foreach(file IN LISTS KELPIX_FILES_${layer})
            file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
            foreach(line IN LISTS includes)
                string(REGEX MATCH "\"([A-Za-z0-9_]+)/" _ "${line}")
                set(used ${CMAKE_MATCH_1})
                if(used IN_LIST KELPIX_ALL_LAYERS AND NOT used STREQUAL layer AND NOT used IN_LIST KELPIX_BELOW_${layer})
                    string(APPEND wrong "  ${file}: ${line} (kelpix_${layer} does not depend on kelpix_${used})\n")
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(wrong)
        message(FATAL_ERROR "A layer includes a header of a layer it does not depend on:\n${wrong}")
    endif()
    file(TOUCH ${STAMP})
endif()
