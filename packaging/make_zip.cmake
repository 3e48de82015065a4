# Makes NAME.zip and NAME.zip.sha256 (sha256sum's format) in OUT from the FILES and EPOCH
# that CONFIG sets: every file under one folder NAME.
#   cmake -DCONFIG=build/win32/package-config.cmake -DOUT=build/win32 -P make_zip.cmake
# The same files and EPOCH give the same bytes: the entries go in sorted order, each with
# mode 644 and EPOCH as its every time. The zip's DOS time is local time, so it is written
# with the zone set to UTC. One thing of the machine stays: the zip records the numeric
# user and group that own the files, so a build under another account differs there.
cmake_minimum_required(VERSION 3.20)
include(${CONFIG})

set(stage ${OUT}/${NAME}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/${NAME})
set(entries "")
foreach(file IN LISTS FILES)
    file(COPY ${file} DESTINATION ${stage}/${NAME}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    get_filename_component(entry ${file} NAME)
    list(APPEND entries ${NAME}/${entry})
endforeach()
list(SORT entries)

# With SOURCE_DATE_EPOCH set, cmake's archive writer gives every entry that time as its
# modification, access and change time (--mtime would set the first only, and the zip
# records all three).
set(zip ${OUT}/${NAME}.zip)
file(REMOVE ${zip} ${zip}.sha256)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 SOURCE_DATE_EPOCH=${EPOCH}
                        ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${entries}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${stage})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not make ${zip}")
endif()

file(SHA256 ${zip} sha256)
file(WRITE ${zip}.sha256 "${sha256}  ${NAME}.zip\n")
message(STATUS "${zip}\nsha256 ${sha256}")
