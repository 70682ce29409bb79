#!/usr/bin/env bash
# build.sh FOLDER [cmake options...]: configures and builds the project into FOLDER.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
shift
# A compiler cache makes a second build of unchanged sources (run.sh, then test.sh; a new clone)
# mostly cache hits; the three builds of test.sh differ in their flags and share nothing.
# Paths below the tree count relative to it, so that clones in other folders share the cache.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$root"
fi
cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$folder" -j"$(nproc)"
