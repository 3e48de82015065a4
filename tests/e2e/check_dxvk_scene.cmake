# Runs the stand-in host's scene checks on DXVK: STANDIN is a copy of the host beside DXVK's
# d3d9.dll, which scripts/with-wine.sh has Wine load instead of its own. Fails if a check
# fails, or if DXVK's log does not say it drew: a d3d9.dll that is not DXVK's, or Wine's own
# Direct3D 9 taken instead, must not pass as DXVK.
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${WITH_WINE} ${STANDIN} scene --module ${MODULE}
                OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
message("${out}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the scene checks failed on DXVK (status ${status})")
endif()
# DXVK's first log line, written through Wine's debug channel, which WINEDEBUG=-all leaves on.
if(NOT out MATCHES "info:  DXVK: [0-9]")
    message(FATAL_ERROR "DXVK did not draw: its log line \"info:  DXVK: \" is missing")
endif()
message(STATUS "drawn by DXVK")
