#!/usr/bin/env bash
# build.sh FOLDER [cmake options...]: configures and builds the project into FOLDER.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
shift
# A compiler cache makes a build of sources it has seen mostly cache hits, also in another build
# folder or another clone: paths are taken relative to the tree, and debug information names the
# tree as "." instead of the folder it was built in, so the working directory need not be hashed.
# The three builds of test.sh differ in their flags and share nothing.
launcher=()
if command -v ccache >/dev/null; then
    cache="env;CCACHE_BASEDIR=$root;CCACHE_NOHASHDIR=true;ccache"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER="$cache" -DCMAKE_CXX_COMPILER_LAUNCHER="$cache"
              -DCMAKE_C_FLAGS_INIT="-fdebug-prefix-map=$root=."
              -DCMAKE_CXX_FLAGS_INIT="-fdebug-prefix-map=$root=.")
fi
cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$folder" -j"$(nproc)"
