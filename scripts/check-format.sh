#!/usr/bin/env bash
# Fails when a tracked C++ file is not as clang-format leaves it. Only C++: clang-format takes
# any text for C++, and run over a CMake file it rewrites it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
