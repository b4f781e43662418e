#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest.
#   BUILD_DIR   build folder (default: build)
#   CMAKE_ARGS  extra arguments for the CMake configure step
# Compiler warnings are errors here (SKRW_WERROR).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/setup.sh

ensure_dependencies
BUILD_DIR=${BUILD_DIR:-build}
configure_and_build "$BUILD_DIR" -DSKRW_WERROR=ON ${CMAKE_ARGS:-}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
