#!/usr/bin/env python3
"""Prints a registry file as canonical REGEDIT4 text, for comparing the hosted
machine's registry.reg with what Wine's `regedit /E` exports.

Usage: reg_normalize.py FILE [KEY]

FILE is a REGEDIT4 file (8-bit) or a "Windows Registry Editor Version 5.00"
file (UTF-16 with a byte-order mark, as regedit /E writes it). Only the keys
at or below KEY (case-insensitive; all keys when KEY is absent) are printed.

What is made alike (see wine_lib.sh for why):
- the header becomes REGEDIT4, line ends LF, blank lines between keys one;
- long hex values that regedit wraps with "\\" and an indented next line are
  joined into one line;
- hex(2) and hex(7) data in a version 5.00 file is UTF-16; it is turned into
  8-bit bytes as REGEDIT4 holds them (when every character is below 256);
- keys are sorted by their path, component by component, ignoring case, and
  the values of a key by name ignoring case, the default value (@) first:
  Windows lists values in creation order, Wine in name order;
- a key implies its parents (from KEY down): a file that omits them (a
  hand-written one) and an export that lists them read alike.
"""
import sys


def read_lines(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        text = data.decode("utf-16")
        unicode_file = True
    else:
        text = data.decode("latin-1")
        unicode_file = False
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    joined = []
    pending = None
    for line in lines:
        if pending is not None:
            line = pending + line.lstrip(" \t")
            pending = None
        if line.endswith("\\") and "=" in line and not line.rstrip().endswith('"'):
            pending = line[:-1]
            continue
        joined.append(line)
    if pending is not None:
        joined.append(pending)
    return joined, unicode_file


def split_value(line):
    """Returns (name, data) of a value line; name None for the default value."""
    if line.startswith("@="):
        return None, line[2:]
    if not line.startswith('"'):
        return None, None
    i = 1
    name = []
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            name.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            break
        name.append(c)
        i += 1
    if i >= len(line) or line[i + 1 : i + 2] != "=":
        return None, None
    return "".join(name), line[i + 2 :]


def narrow(data):
    """hex(2)/hex(7) UTF-16 bytes of a version 5.00 file as 8-bit bytes."""
    colon = data.index(":")
    prefix, body = data[: colon + 1], data[colon + 1 :]
    items = [b for b in body.split(",") if b]
    if len(items) % 2:
        return data
    pairs = list(zip(items[0::2], items[1::2]))
    if any(high.lower() != "00" for _, high in pairs):
        return data
    return prefix + ",".join(low for low, _ in pairs)


def main():
    if len(sys.argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    path = sys.argv[1]
    root = sys.argv[2].lower() if len(sys.argv) == 3 else None
    lines, unicode_file = read_lines(path)
    keys = {}
    order = []
    current = None
    for line in lines:
        stripped = line.strip()
        if not stripped or stripped in ("REGEDIT4", "Windows Registry Editor Version 5.00"):
            continue
        if stripped.startswith(";"):
            continue
        if stripped.startswith("[") and stripped.endswith("]"):
            name = stripped[1:-1]
            if name.startswith("-"):
                current = None
                continue
            lowered = name.lower()
            if root is not None and lowered != root and not lowered.startswith(root + "\\"):
                current = None
                continue
            if lowered not in keys:
                keys[lowered] = (name, {})
                order.append(lowered)
            current = keys[lowered][1]
            continue
        if current is None:
            continue
        name, data = split_value(line)
        if data is None:
            sys.stderr.write("reg_normalize: skipped line: %r\n" % line)
            continue
        if unicode_file and (data.startswith("hex(2):") or data.startswith("hex(7):")):
            data = narrow(data)
        shown = "@" if name is None else '"' + name.replace("\\", "\\\\").replace('"', '\\"') + '"'
        current[(name or "").lower()] = (name is not None, shown + "=" + data)
    for lowered in list(order):
        parts = keys[lowered][0].split("\\")
        for n in range(1, len(parts)):
            parent = "\\".join(parts[:n])
            low = parent.lower()
            if root is not None and low != root and not low.startswith(root + "\\"):
                continue
            if low not in keys:
                keys[low] = (parent, {})
                order.append(low)
    out = ["REGEDIT4", ""]
    for lowered in sorted(order, key=lambda k: k.split("\\")):
        name, values = keys[lowered]
        out.append("[" + name + "]")
        for key in sorted(values, key=lambda k: (values[k][0], k)):
            out.append(values[key][1])
        out.append("")
    sys.stdout.write("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
