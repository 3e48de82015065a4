# The player's download, actorbars-<version>-win32.zip: the DLL, the players' readme and the
# licence in one folder, and actorbars-<version>-win32.zip.sha256 beside it.
# `--target package` makes them in the build folder with packaging/make_zip.cmake, which
# gives the same bytes for the same commit wherever and whenever it runs. (CPack's zip
# could not: it stamps each entry with its file's time on disk.)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-players.txt.in
               ${PROJECT_BINARY_DIR}/README-players.txt @ONLY NEWLINE_STYLE CRLF)
# With an extension and Windows line ends, so that a double click opens it on Windows.
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY
               NEWLINE_STYLE CRLF)

# One time for every entry of the zip: SOURCE_DATE_EPOCH when the packager sets it, else the
# time of the checked-out commit, else (a source tree without git) a fixed one, 1980-01-01,
# the earliest a zip can hold.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ACTORBARS_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
elseif(EXISTS ${PROJECT_SOURCE_DIR}/.git)
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE ACTORBARS_SOURCE_DATE_EPOCH
                        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        # A new commit configures again, so that the zip takes its time.
        execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(EXISTS ${git_dir}/logs/HEAD)
            set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
        endif()
    endif()
endif()
if(NOT ACTORBARS_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(ACTORBARS_SOURCE_DATE_EPOCH 315532800)
endif()

# What make_zip.cmake packs; the zip check reads it too.
set(ACTORBARS_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/package-config.cmake CONTENT
"set(NAME ${ACTORBARS_PACKAGE_NAME})
set(FILES $<TARGET_FILE:actorbars> ${PROJECT_BINARY_DIR}/README-players.txt ${PROJECT_BINARY_DIR}/LICENSE.txt)
set(EPOCH ${ACTORBARS_SOURCE_DATE_EPOCH})
")
# A build folder from when CPack made the zip still holds CPack's configuration, and CMake
# reserves the name "package" wherever that file is.
file(REMOVE ${PROJECT_BINARY_DIR}/CPackConfig.cmake ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -DCONFIG=${PROJECT_BINARY_DIR}/package-config.cmake
            -DOUT=${PROJECT_BINARY_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/make_zip.cmake
    COMMENT "Making ${ACTORBARS_PACKAGE_NAME}.zip"
    VERBATIM
)
add_dependencies(package actorbars)
