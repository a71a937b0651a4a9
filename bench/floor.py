#!/usr/bin/env python3
"""The floor of a whole-process run: a copy of the catalog and one open (and
close) of each catalogued file. floor.py CATALOG FILES_LIST; prints the
seconds it took and the processor seconds (user and system) it used."""
import os
import shutil
import sys
import time


def main():
    catalog, listing = sys.argv[1], sys.argv[2]
    with open(listing) as f:
        paths = f.read().split()
    copy = catalog + ".floor"
    start = time.perf_counter()
    cpu = os.times()
    shutil.copyfile(catalog, copy)
    for path in paths:
        try:
            os.close(os.open(path, os.O_RDONLY))
        except OSError:
            pass
    elapsed = time.perf_counter() - start
    end = os.times()
    os.unlink(copy)
    print("%.3f %.3f" % (elapsed, end.user - cpu.user + end.system - cpu.system))


if __name__ == "__main__":
    main()
