#!/usr/bin/env bash
# build.sh FOLDER [cmake options...]: configures and builds the project into FOLDER.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
shift
# A compiler cache makes a second build of unchanged sources in the same folder (run.sh, then
# test.sh; a build folder made anew) mostly cache hits. The three builds of test.sh differ in
# their flags and share nothing, and a clone in another folder finds nothing either: with debug
# information the cache keys take in the working directory.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$folder" -j"$(nproc)"
