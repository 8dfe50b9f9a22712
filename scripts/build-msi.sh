#!/usr/bin/env bash
# build-msi.sh WXS SCR ICO OUT.msi VERSION: packs detonix.scr into an MSI with wixl, the same bytes
# on every build of the same sources: the product code comes from the version, the package code
# from what is packed, and every date from SOURCE_DATE_EPOCH (else the last commit's time).
set -euo pipefail
wxs=$(realpath "$1") scr=$2 ico=$3 out=$(realpath "$4") version=$5
here=$(cd "$(dirname "$0")" && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || stat -c %Y "$wxs")}

codes=$(/usr/bin/python3 - "$version" "$wxs" "$scr" "$ico" <<'PY'
import hashlib, sys, uuid
ns = uuid.UUID("6B0E3C51-2F4D-4C8A-9E36-0D7A5B1C8F42")  # the upgrade code
packed = hashlib.sha256(sys.argv[1].encode())
for path in sys.argv[2:]:
    packed.update(open(path, "rb").read())
print(str(uuid.uuid5(ns, "Detonix Screen Saver " + sys.argv[1])).upper(), uuid.uuid5(ns, packed.hexdigest()))
PY
)
read -r product package <<<"$codes"

# wixl takes the files from the folder it runs in, and the cabinet keeps their times.
stage=$out.d
rm -rf "$stage"
mkdir -p "$stage"
cp "$scr" "$stage/detonix.scr"
cp "$ico" "$stage/detonix.ico"
touch -d "@$epoch" "$stage/detonix.scr" "$stage/detonix.ico"
(cd "$stage" && TZ=UTC wixl -a x64 -D "Version=$version" -D "ProductCode=$product" -o "$out.tmp" "$wxs")
/usr/bin/python3 "$here/msi-stamp.py" "$out.tmp" "$epoch" "$package"
mv "$out.tmp" "$out"
rm -rf "$stage"
