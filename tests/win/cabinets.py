#!/usr/bin/env python3
"""Writes the cabinet fixtures of the expansion tests into OUTDIR.

mszip.cab  made by gcab -c -z from docs/readme.txt and top.txt (both dated
           2021-03-04 05:06:08); the stored attributes are then set by hand,
           since gcab always stores 0x20: top.txt read-only|archive|0x40,
           docs\\readme.txt hidden|archive.
plain.cab  uncompressed, written here: a UTF-8 name in a nested folder.
escape-*.cab  uncompressed, written here: a harmless first file, then one
           whose stored name tries to leave the target folder.
"""
import os
import struct
import subprocess
import sys
import tempfile

DOS_DATE = ((2021 - 1980) << 9) | (3 << 5) | 4
DOS_TIME = (5 << 11) | (6 << 5) | (8 // 2)
A_NAME_IS_UTF = 0x80


def cabinet(files):
    """An uncompressed single-folder cabinet of (stored name, bytes, attributes)."""
    header_size, folder_size = 36, 8
    entries = b""
    offset = 0
    for name, data, attribs in files:
        raw = name.encode("utf-8")
        if any(ord(c) > 0x7F for c in name):
            attribs |= A_NAME_IS_UTF
        entries += struct.pack("<IIHHHH", len(data), offset, 0, DOS_DATE, DOS_TIME, attribs) + raw + b"\0"
        offset += len(data)
    payload = b"".join(d for _, d, _ in files)
    blocks = [payload[i:i + 32768] for i in range(0, len(payload), 32768)] or [b""]
    data_start = header_size + folder_size + len(entries)
    data = b"".join(struct.pack("<IHH", 0, len(b), len(b)) + b for b in blocks)
    total = data_start + len(data)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, header_size + folder_size, 0, 3, 1, 1,
                         len(files), 0, 0x1234, 0)
    folder = struct.pack("<IHH", data_start, len(blocks), 0)
    return header + folder + entries + data


def set_attributes(cab, attributes):
    """Rewrites the attribute field of named CFFILE records in place."""
    cab = bytearray(cab)
    offset = struct.unpack_from("<I", cab, 16)[0]
    count = struct.unpack_from("<H", cab, 28)[0]
    for _ in range(count):
        end = cab.index(b"\0", offset + 16)
        name = cab[offset + 16:end].decode("utf-8")
        if name in attributes:
            struct.pack_into("<H", cab, offset + 14, attributes[name])
        offset = end + 1
    return bytes(cab)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as src:
        os.makedirs(os.path.join(src, "docs"))
        for name, text in (("docs/readme.txt", b"Read me first.\r\n"), ("top.txt", b"top level\r\n")):
            path = os.path.join(src, name)
            with open(path, "wb") as f:
                f.write(text)
            subprocess.run(["touch", "-d", "2021-03-04 05:06:08", path], check=True)
        made = os.path.join(src, "made.cab")
        subprocess.run(["gcab", "-c", "-z", made, "docs/readme.txt", "top.txt"], cwd=src, check=True,
                       env=dict(os.environ, TZ="UTC"))
        with open(made, "rb") as f:
            cab = f.read()
    cab = set_attributes(cab, {"top.txt": 0x61, "docs\\readme.txt": 0x22})
    with open(os.path.join(out, "mszip.cab"), "wb") as f:
        f.write(cab)

    with open(os.path.join(out, "plain.cab"), "wb") as f:
        f.write(cabinet([("a\\b\\\u5c55\u958b.txt", b"unicode name\r\n", 0x20)]))

    escapes = {
        "parent": "..\\outside.txt",
        "deep": "docs\\..\\..\\outside.txt",
        "drive": "C:\\outside.txt",
        "driverel": "C:outside.txt",
        "rooted": "\\outside.txt",
        "slash": "docs/../../outside.txt",
    }
    for case, name in escapes.items():
        with open(os.path.join(out, "escape-%s.cab" % case), "wb") as f:
            f.write(cabinet([("inside.txt", b"inside\r\n", 0x20), (name, b"escaped\r\n", 0x20)]))


if __name__ == "__main__":
    main()
