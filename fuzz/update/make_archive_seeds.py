#!/usr/bin/python3
"""Writes the seed archives of the update archive fuzzer into corpus/update_archive/."""
import os
import stat
import zipfile

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "update_archive")
os.makedirs(HERE, exist_ok=True)


def info(name, mode, compression):
    item = zipfile.ZipInfo(name, date_time=(2008, 4, 15, 12, 0, 0))
    item.compress_type = compression
    item.external_attr = mode << 16
    item.create_system = 3  # Unix, so that the mode bits count
    return item


def write(file_name, entries, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(os.path.join(HERE, file_name), "w", compression) as z:
        for name, mode, data in entries:
            z.writestr(info(name, mode, compression), data)


regular = stat.S_IFREG | 0o644
write("files.zip", [("Nulo_Vandrel.chm", regular, b"ITSF help"),
                    ("maps/", stat.S_IFDIR | 0o755, b""),
                    ("maps/north.txt", regular, b"north" * 20),
                    ("tool", stat.S_IFREG | 0o755, b"#!/bin/sh\n")])
write("stored.zip", [("a.txt", regular, b"stored")], zipfile.ZIP_STORED)
write("dotdot.zip", [("ok.txt", regular, b"ok"), ("../x", regular, b"x")])
write("absolute.zip", [("/tmp/x", regular, b"x")])
write("symlink.zip", [("link", stat.S_IFLNK | 0o777, b"/tmp"), ("link/x", regular, b"x")])
write("zeros.zip", [("zeros", regular, bytes(200000))])
