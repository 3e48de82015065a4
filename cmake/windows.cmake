# The version resource: what Windows shows in the DLL's properties, from project()'s version
# and the copyright line of LICENSE.
set(ACTORBARS_FILE_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE ACTORBARS_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
configure_file(${PROJECT_SOURCE_DIR}/packaging/version.rc.in ${PROJECT_BINARY_DIR}/version.rc
               @ONLY)

# The module as a 32-bit DLL with no exports that needs nothing beside the system's DLLs and
# d3dx9_43.dll: the players' one, and the tests' unoptimised copy (tests/e2e).
function(add_module_dll name)
    set(sources ${ACTORBARS_LOGIC_SOURCES} module/dll_main.cpp module/frame_hook.cpp
                module/frame_guard.cpp module/call_site.cpp)
    list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/)
    add_library(${name} SHARED ${sources} ${PROJECT_BINARY_DIR}/version.rc)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE
        # SSE2 scalar math so that 32-bit floats round as written (x87 keeps excess precision).
        $<$<COMPILE_LANGUAGE:CXX>:-msse2 -mfpmath=sse>
        # Symbols for the separate symbol file; -g changes nothing in the code GCC makes. No
        # folder of the machine goes into them, so that the same commit gives the same
        # symbols, and through the debug link's checksum the same DLL, wherever it is built:
        # the sources are named from the source root, and so is the build folder (the later
        # map wins).
        $<$<COMPILE_LANGUAGE:CXX>:-g -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
            -ffile-prefix-map=${PROJECT_BINARY_DIR}=.>
    )
    target_link_options(${name} PRIVATE
        -static -static-libgcc -static-libstdc++
        # module/dll_main.cpp: the runtime's teardown is skipped when the process ends.
        -Wl,-e,_ModuleEntry@12
        -Wl,--exclude-all-symbols
        # A time stamp in the PE and export headers would make every build's bytes differ.
        -Wl,--no-insert-timestamp
    )
    target_link_libraries(${name} PRIVATE actorbars_warnings d3dx9_43)
    set_target_properties(${name} PROPERTIES PREFIX "")
endfunction()

add_module_dll(actorbars)

# The documented place of the module.
set(ACTORBARS_DIST_DIR ${PROJECT_SOURCE_DIR}/dist)
# The shipped DLL is stripped: most of its bytes were the static runtime's debug sections. Its
# symbols stay beside it in the build folder, actorbars.dll.debug, which the DLL names in its
# .gnu_debuglink section for gdb and addr2line. objcopy and strip write the time they run into
# the PE header, or SOURCE_DATE_EPOCH when it is set: 0 keeps the linker's "no time stamp".
set(ACTORBARS_NO_STAMP ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0)
add_custom_command(TARGET actorbars POST_BUILD
    COMMAND ${ACTORBARS_NO_STAMP} ${CMAKE_OBJCOPY} --only-keep-debug
            $<TARGET_FILE_NAME:actorbars> $<TARGET_FILE_NAME:actorbars>.debug
    COMMAND ${ACTORBARS_NO_STAMP} ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:actorbars>
    COMMAND ${ACTORBARS_NO_STAMP} ${CMAKE_OBJCOPY}
            --add-gnu-debuglink=$<TARGET_FILE_NAME:actorbars>.debug $<TARGET_FILE_NAME:actorbars>
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ACTORBARS_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:actorbars> ${ACTORBARS_DIST_DIR}/actorbars.dll
    WORKING_DIRECTORY $<TARGET_FILE_DIR:actorbars>
    VERBATIM
)

# The player's download: `--target package` makes the zip.
include(${PROJECT_SOURCE_DIR}/packaging/package.cmake)

enable_testing()
# Checks of the DLL's tables and of the download, with binutils' objdump. Off, with the
# stand-in host off too, the build needs nothing but the compiler, CMake and Ninja.
option(ACTORBARS_DLL_CHECKS "Check the DLL's tables and the zip (needs i686-w64-mingw32-objdump)"
       ON)
if(ACTORBARS_DLL_CHECKS)
    find_program(ACTORBARS_OBJDUMP NAMES i686-w64-mingw32-objdump REQUIRED)
    add_test(NAME dll_tables
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${ACTORBARS_OBJDUMP} -DDLL=$<TARGET_FILE:actorbars>
                -DVERSION=${PROJECT_VERSION}
                -P ${PROJECT_SOURCE_DIR}/tests/dll/check_dll_tables.cmake)
    add_test(NAME package_zip
        COMMAND ${CMAKE_COMMAND} -DMAKE_ZIP=${PROJECT_SOURCE_DIR}/packaging/make_zip.cmake
                -DCONFIG=${PROJECT_BINARY_DIR}/package-config.cmake
                -DOBJDUMP=${ACTORBARS_OBJDUMP} -DVERSION=${PROJECT_VERSION}
                -DSCRATCH=${PROJECT_BINARY_DIR}/package-check
                -P ${PROJECT_SOURCE_DIR}/tests/package/check_package.cmake)

    # Builds the DLL and the zip again from a copy of the source, with this build's settings,
    # and compares bytes.
    string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
    set(settings "")
    foreach(name IN ITEMS CMAKE_MAKE_PROGRAM CMAKE_BUILD_TYPE ACTORBARS_WERROR
                          CMAKE_C_FLAGS CMAKE_C_FLAGS_${build_type}
                          CMAKE_CXX_FLAGS CMAKE_CXX_FLAGS_${build_type} CMAKE_RC_FLAGS
                          CMAKE_SHARED_LINKER_FLAGS CMAKE_SHARED_LINKER_FLAGS_${build_type})
        string(APPEND settings "set(${name} [==[${${name}}]==] CACHE STRING \"\")\n")
    endforeach()
    file(WRITE ${PROJECT_BINARY_DIR}/reproducible-settings.cmake "${settings}")
    add_test(NAME reproducible
        COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DBINARY=${PROJECT_BINARY_DIR}
                -DDLL=$<TARGET_FILE:actorbars> -DCONFIG=${PROJECT_BINARY_DIR}/package-config.cmake
                -DGENERATOR=${CMAKE_GENERATOR} -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE}
                -DCACHE=${PROJECT_BINARY_DIR}/reproducible-settings.cmake
                -DSCRATCH=${PROJECT_BINARY_DIR}/reproducible-check
                -P ${PROJECT_SOURCE_DIR}/tests/package/check_reproducible.cmake)
endif()

# The stand-in host and its checks, run under Wine through the project's wrapper. Off, the
# build makes the DLL alone, with no need for the PNG writer the demo uses.
option(ACTORBARS_STANDIN "Build the stand-in host and its end-to-end tests" ON)
if(ACTORBARS_STANDIN)
    add_subdirectory(standin)
    add_subdirectory(tests/e2e)
endif()
