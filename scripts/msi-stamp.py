#!/usr/bin/python3
"""msi-stamp.py FILE.msi EPOCH PACKAGE-CODE: gives an MSI made by wixl the same bytes on every build.

wixl writes the build time into the summary information (created, last saved) and a random package
code. This puts EPOCH (seconds since 1970) and PACKAGE-CODE in their place, in the summary
property set where wixl left it, without moving a byte of anything else."""
import struct
import sys
import uuid

SUMMARY_FMTID = uuid.UUID("F29F85E0-4FF9-1068-AB91-08002B27B3D9").bytes_le
PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


def main(path, epoch, package_code):
    data = bytearray(open(path, "rb").read())
    at = data.find(SUMMARY_FMTID)
    if at < 28 or data.find(SUMMARY_FMTID, at + 1) != -1:
        sys.exit(f"msi-stamp: no single summary property set in {path}")
    stream = at - 28  # byte order, version, system, class id and section count come first
    section = stream + struct.unpack_from("<I", data, at + 16)[0]
    _, count = struct.unpack_from("<II", data, section)
    filetime = (int(epoch) + 11644473600) * 10_000_000
    code = ("{" + str(uuid.UUID(package_code)).upper() + "}").encode("ascii") + b"\0"
    done = set()
    for i in range(count):
        pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * i)
        value = section + offset
        vtype = struct.unpack_from("<I", data, value)[0]
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and vtype == VT_FILETIME:
            struct.pack_into("<Q", data, value + 4, filetime)
            done.add(pid)
        elif pid == PID_REVNUMBER and vtype == VT_LPSTR:
            size = struct.unpack_from("<I", data, value + 4)[0]
            if size != len(code):
                sys.exit(f"msi-stamp: the package code in {path} is {size} bytes, not {len(code)}")
            data[value + 8:value + 8 + size] = code
            done.add(pid)
    if done != {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM}:
        sys.exit(f"msi-stamp: {path} lacks the package code or a date in its summary")
    open(path, "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
