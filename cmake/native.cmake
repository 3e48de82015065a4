# Native Linux build of the logic, for fast sanitized unit tests, benchmarks and fuzzing.
option(ACTORBARS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ACTORBARS_TESTS "Build the unit tests" ON)
option(ACTORBARS_BENCHMARKS "Build the benchmarks" OFF)
option(ACTORBARS_FUZZ "Build the fuzz target (clang)" OFF)

# Linked by every native target, so that the whole program is instrumented alike.
add_library(actorbars_sanitizers INTERFACE)
if(ACTORBARS_SANITIZE)
    set(ACTORBARS_SANITIZER_FLAGS
        -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_compile_options(actorbars_sanitizers INTERFACE ${ACTORBARS_SANITIZER_FLAGS})
    target_link_options(actorbars_sanitizers INTERFACE ${ACTORBARS_SANITIZER_FLAGS})
endif()

add_library(actorbars_logic STATIC
    ${ACTORBARS_LOGIC_SOURCES}
    native/host_memory.cpp
    native/d3dx9.cpp
)
target_include_directories(actorbars_logic PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(actorbars_logic
    PRIVATE actorbars_warnings
    PUBLIC actorbars_sanitizers
)

if(ACTORBARS_TESTS OR ACTORBARS_BENCHMARKS OR ACTORBARS_FUZZ)
    add_subdirectory(tests/support)
endif()
if(ACTORBARS_TESTS)
    enable_testing()
    add_subdirectory(tests/unit)
    add_subdirectory(tests/soak)
endif()
if(ACTORBARS_BENCHMARKS)
    add_subdirectory(bench)
endif()
if(ACTORBARS_FUZZ)
    add_subdirectory(fuzz)
endif()
