# Makes the download with the build's own recipe, unpacks it and fails unless it holds
# exactly the DLL, the players' readme and the licence, under the version CMake sets, and
# its .sha256 file matches it.
cmake_minimum_required(VERSION 3.20)

set(name actorbars-${VERSION}-win32)
file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -DCONFIG=${CONFIG} -DOUT=${SCRATCH} -P ${MAKE_ZIP}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "making the zip failed:\n${out}")
endif()

file(GLOB made RELATIVE ${SCRATCH} ${SCRATCH}/*)
list(SORT made)
if(NOT made STREQUAL "${name}.zip;${name}.zip.sha256")
    message(FATAL_ERROR "expected ${name}.zip and ${name}.zip.sha256, made: ${made}")
endif()
file(SHA256 ${SCRATCH}/${name}.zip sha256)
file(READ ${SCRATCH}/${name}.zip.sha256 listed)
if(NOT listed STREQUAL "${sha256}  ${name}.zip\n")
    message(FATAL_ERROR "${name}.zip.sha256 says \"${listed}\", the zip's SHA-256 is ${sha256}")
endif()
message(STATUS "${name}.zip.sha256 matches: ${sha256}")

set(unpacked ${SCRATCH}/unpacked)
file(ARCHIVE_EXTRACT INPUT ${SCRATCH}/${name}.zip DESTINATION ${unpacked})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${unpacked} ${unpacked}/*)
list(SORT files)
set(expected ${name}/LICENSE.txt ${name}/README-players.txt ${name}/actorbars.dll)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the zip holds:\n  ${files}\nexpected:\n  ${expected}")
endif()
message(STATUS "zip: ${files}")

file(READ ${unpacked}/${name}/README-players.txt readme)
foreach(needed IN ITEMS "actorbars ${VERSION}" d3dx9_43 0x6E75A7 "DirectX End-User Runtime"
                        "winetricks d3dx9_43" Proton uninstall "MIT License" LICENSE.txt)
    string(FIND "${readme}" "${needed}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "README-players.txt does not mention \"${needed}\"")
    endif()
endforeach()

# The packed DLL passes the same checks as the built one: PE32, i386, a DLL, no exports,
# no debug sections, the version resource.
execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DDLL=${unpacked}/${name}/actorbars.dll
                        -DVERSION=${VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/../dll/check_dll_tables.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the packed DLL fails the DLL's checks")
endif()
