# Builds the DLL and the zip a second time, from a copy of the source in another folder into
# another build folder, later, and fails unless the DLL, its symbol file, the zip and its
# .sha256 file are byte for byte those of the first build. Prints their SHA-256 either way.
#   SOURCE, BINARY: the first build's folders; DLL: its DLL; CONFIG: its package-config.cmake
#   (the zip's name, files and time); GENERATOR, TOOLCHAIN and CACHE (an initial cache of
#   its build type and flags): how to configure the second build like it; SCRATCH: a folder
#   for the copy and the second build.
cmake_minimum_required(VERSION 3.20)
include(${CONFIG})

file(REMOVE_RECURSE ${SCRATCH})
set(first ${SCRATCH}/first)
set(copy ${SCRATCH}/source)
set(second ${SCRATCH}/build)

execute_process(COMMAND ${CMAKE_COMMAND} -DCONFIG=${CONFIG} -DOUT=${first}
                        -P ${SOURCE}/packaging/make_zip.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "making the first build's zip failed:\n${out}")
endif()

# The files a build sees: git's, changed or new ones included, or in a tree without git,
# all but the build's own output.
execute_process(COMMAND git ls-files --cached --others --exclude-standard
                WORKING_DIRECTORY ${SOURCE} RESULT_VARIABLE rc OUTPUT_VARIABLE tracked
                ERROR_QUIET)
if(rc EQUAL 0 AND EXISTS ${SOURCE}/.git)
    string(REGEX MATCHALL "[^\n]+" tracked "${tracked}")
    foreach(path IN LISTS tracked)
        # A file deleted but not yet committed is listed too.
        if(EXISTS ${SOURCE}/${path})
            get_filename_component(folder ${copy}/${path} DIRECTORY)
            file(COPY ${SOURCE}/${path} DESTINATION ${folder})
        endif()
    endforeach()
else()
    file(COPY ${SOURCE}/ DESTINATION ${copy}
         REGEX "^${SOURCE}/(build|dist|out)$" EXCLUDE)
endif()

# The same toolchain file, from the copy when it is part of the source.
file(RELATIVE_PATH toolchain ${SOURCE} ${TOOLCHAIN})
if(NOT toolchain MATCHES "^\\.\\./")
    set(TOOLCHAIN ${copy}/${toolchain})
endif()
# The first build's time for the zip, as a packager rebuilding a release would set it.
execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${EPOCH}
                        ${CMAKE_COMMAND} -S ${copy} -B ${second} -G ${GENERATOR} -C ${CACHE}
                        -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
                        -DACTORBARS_STANDIN=OFF -DACTORBARS_DLL_CHECKS=OFF
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${second} --target package
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the second build failed:\n${out}")
endif()

get_filename_component(dll_name ${DLL} NAME)
find_program(CMP cmp)
set(differ "")
foreach(pair IN ITEMS "${DLL}|${second}/${dll_name}" "${DLL}.debug|${second}/${dll_name}.debug"
                      "${first}/${NAME}.zip|${second}/${NAME}.zip"
                      "${first}/${NAME}.zip.sha256|${second}/${NAME}.zip.sha256")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 a)
    list(GET pair 1 b)
    get_filename_component(name ${a} NAME)
    file(SHA256 ${a} sha_a)
    file(SHA256 ${b} sha_b)
    file(SIZE ${a} size)
    message(STATUS "${name}: ${size} bytes\n   first  ${sha_a}\n   second ${sha_b}")
    if(NOT sha_a STREQUAL sha_b)
        list(APPEND differ ${name})
        if(CMP)
            # Offset (from 1) and the two bytes in octal, as cmp -l prints them.
            execute_process(COMMAND ${CMP} -l ${a} ${b} OUTPUT_VARIABLE bytes ERROR_QUIET)
            string(REGEX MATCHALL "[^\n]+" bytes "${bytes}")
            list(LENGTH bytes count)
            list(SUBLIST bytes 0 6 bytes)
            list(JOIN bytes "\n     " bytes)
            message(STATUS "   ${count} bytes differ; offset, first, second (cmp -l):\n     ${bytes}")
        endif()
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "a second build of the same source differs: ${differ}")
endif()
message(STATUS "the second build, in ${second}, gives the same bytes")
