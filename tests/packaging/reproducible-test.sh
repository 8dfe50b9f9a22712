#!/usr/bin/env bash
# reproducible-test.sh BUILD BUILD-WIN: the shipped files come out byte for byte the same when the
# same sources are built again in another folder, later. The first build is the one make package
# and the Wine test make (BUILD/detonix_*.deb, BUILD-WIN/detonix.scr and detonix.msi, brought up to
# date here); the second is made in BUILD/reproducible: the Debian package again, and a Release
# build of only the saver and its MSI. On a difference diffoscope shows it.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
build_win=${2:-$build-win}
for tool in dpkg-buildpackage x86_64-w64-mingw32-g++-posix wixl; do
  command -v "$tool" >/dev/null ||
    { echo "reproducible-test: skipped: $tool is not installed (scripts/bootstrap.sh installs it)"; exit 77; }
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
maintainer=$(sed -n 's/^DETONIX_PACKAGE_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")
second=$build/reproducible
log=$second/build.log
rm -rf "$second"
mkdir -p "$second"

step() {  # WHAT COMMAND...: runs a build step, its output in the log
  echo "== $1" >>"$log"
  shift
  "$@" >>"$log" 2>&1 || { tail -30 "$log"; echo "FAIL: $*"; exit 1; }
}
win_build() {  # DIR [CMAKE OPTIONS]: saver and MSI, Release
  local dir=$1
  shift
  [ -f "$dir/CMakeCache.txt" ] ||
    step "configure $dir" cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release "$@"
  step "build $dir" cmake --build "$dir" -j 2 --target detonix_msi
}

# The first build, as the package and Wine tests left it (built here if they have not run). The
# MSI is packed again: its dates are the last commit's, which may be newer than the saver.
step "first package" cmake --build "$build" --target package
rm -f "$build_win/detonix.msi"
win_build "$build_win" -DBUILD_TESTING=ON
# The second, in another folder and later.
step "second package" "$root/scripts/build-deb.sh" "$root" "$second" "$version" "$maintainer"
win_build "$second/win" -DBUILD_TESTING=OFF

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
failures=0
for pair in "$build/detonix_${version}_$arch.deb $second/detonix_${version}_$arch.deb" \
            "$build_win/detonix.scr $second/win/detonix.scr" "$build_win/detonix.msi $second/win/detonix.msi"; do
  read -r first again <<<"$pair"
  if cmp "$first" "$again"; then
    echo "ok: $(basename "$first") is the same in both builds ($(stat -c %s "$first") bytes, sha256 $(sha256sum <"$first" | cut -c1-16))"
  else
    failures=$((failures + 1))
    echo "FAIL: $first and $again differ"
    command -v diffoscope >/dev/null && diffoscope --text - "$first" "$again" 2>&1 | head -150
  fi
done
[ "$failures" -eq 0 ] || { echo "reproducible-test: $failures differ; the second build is in $second"; exit 1; }
rm -rf "$second"
echo "reproducible-test: all the same"
