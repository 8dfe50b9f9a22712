#!/usr/bin/env bash
# build-deb.sh SOURCE BUILD VERSION "MAINTAINER <ADDRESS>": builds the Debian package from debian/
# with dpkg-buildpackage and puts BUILD/detonix_VERSION_amd64.deb next to the build.
# dpkg-buildpackage builds inside the source tree and writes its results to the tree's parent, so
# it works on a copy under BUILD/deb: the files git tracks or would track (what a clean clone
# has, plus the changes not committed yet). SOURCE_DATE_EPOCH is the last commit's time and every
# copied file gets it, so the same sources give the same package wherever and whenever they are
# built. A package already made from the same sources is kept.
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
version=$3
maintainer=$4
work=$build/deb
tree=$work.new/detonix-$version

changelog_version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
if [ "$changelog_version" != "$version" ]; then
  echo "build-deb: debian/changelog is at $changelog_version but the project at $version: add a changelog entry" >&2
  exit 1
fi

rm -rf "$work.new"
mkdir -p "$tree"
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$src" && git ls-files -z -co --exclude-standard |
     while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
     tar --null -T - -cf -) | tar -xf - -C "$tree"
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct)
else
  # A source tarball: everything but build folders, at the time of the last changelog entry.
  tar -C "$src" --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$tree"
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Timestamp)
fi
export SOURCE_DATE_EPOCH

# The maintainer the packager chose (the CMake cache variable DETONIX_PACKAGE_MAINTAINER).
sed -i "s|^Maintainer: .*|Maintainer: $maintainer|" "$tree/debian/control"
sed -i "s|^ -- .*>  | -- $maintainer  |" "$tree/debian/changelog"
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$build/detonix_${version}_${arch}.deb
sources=$( (echo "$maintainer"; tar -C "$tree" --sort=name --numeric-owner -cf - .) | sha256sum | cut -d' ' -f1)
if [ -f "$deb" ] && [ "$(cat "$deb.sources" 2>/dev/null)" = "$sources" ]; then
  rm -rf "$work.new"
  echo "build-deb: $deb is up to date"
  exit 0
fi
rm -rf "$deb" "$deb.sources" "$work"
mv "$work.new" "$work"
tree=$work/detonix-$version

jobs=$(nproc 2>/dev/null || echo 2)
(cd "$tree" && DEB_BUILD_OPTIONS="parallel=$jobs${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}" \
   dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log" >&2; echo "build-deb: dpkg-buildpackage failed; the whole log is $work/build.log" >&2; exit 1; }
cp "$work/$(basename "$deb")" "$deb"
echo "$sources" >"$deb.sources"
echo "build-deb: $deb"
