# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra)

# A rebuild after a small change, or a second work tree of the same sources, should not
# compile everything again; mold links the many test programs several times faster than ld.
find_program(ZYN_CCACHE ccache)
if(ZYN_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    # ccache takes a unit that uses a precompiled header only when told that the header's
    # macros and time stamps may be trusted (see ZynPrecompiled.cmake).
    set(CMAKE_C_COMPILER_LAUNCHER ${ZYN_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros ${ZYN_CCACHE})
endif()
find_program(ZYN_MOLD mold)
if(ZYN_MOLD AND NOT ZYN_FUZZ)
    add_link_options(-fuse-ld=mold)
endif()

if(ZYN_SANITIZE)
    string(REPLACE ";" "," _zyn_san "${ZYN_SANITIZE}")
    message(STATUS "Sanitizers: ${_zyn_san}")
    add_compile_options(-fsanitize=${_zyn_san} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${_zyn_san})
endif()

if(ZYN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "ZYN_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -g)
    add_link_options(-fsanitize=address,undefined)
endif()

# Adds a subdirectory only once it has its own build description, so that subsystems can
# arrive one by one without touching the lists above them.
function(zyn_add_subdirectories)
    foreach(dir IN LISTS ARGN)
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
