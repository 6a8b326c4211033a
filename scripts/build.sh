#!/usr/bin/env bash
# Configures and builds into a build folder: scripts/build.sh [DIR] [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
# A compiler cache (when installed) shared by every clone of the sources:
# paths below the source tree count relative to it, and the precompiled
# toolkit header does not make every compile uncacheable.
export CCACHE_BASEDIR=${CCACHE_BASEDIR-$PWD}
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS-pch_defines,time_macros,include_file_mtime,include_file_ctime}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR-1}
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
