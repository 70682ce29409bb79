#!/usr/bin/env bash
# package.sh [BUILD_FOLDER]: the station's Debian package, dispensing-station_VERSION_ARCH.deb, made
# by CPack from the build in BUILD_FOLDER (default build/, brought up to date or made first) into
# BUILD_FOLDER/package/, then checked by lintian: an error fails, warnings are shown.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
folder="${1:-build}"

bash scripts/setup.sh --test
# The tests' build, as scripts/test.sh makes it: the package holds dispense-worker, which is built
# with them. The prefix /usr puts the library into Debian's multiarch folder.
bash scripts/build.sh "$folder" -DSTATION_BUILD_TESTS=ON -DCMAKE_INSTALL_PREFIX=/usr
rm -rf "$folder/package"
(cd "$folder" && cpack -G DEB >cpack.log) || { cat "$folder/cpack.log" >&2; exit 1; }
package=$(echo "$folder"/package/dispensing-station_*.deb)
[ -f "$package" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }
echo "Package: $package"

echo "Lintian:"
lintian --fail-on error --tag-display-limit 0 "$package"
