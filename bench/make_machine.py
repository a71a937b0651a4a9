#!/usr/bin/env python3
"""Builds a machine root for the whole-process benchmark.

make_machine.py ROOT SECTIONS

ROOT/drive_d is drive D:. The catalog D:\\Vantrel\\db\\vnt_Compdb.ini holds
SECTIONS sections: ten installations (the first is the host program
D:\\Vantrel\\bin\\vn_app.exe) and plug-ins whose files all lie in one folder,
D:\\Vantrel\\plugins, the way a large installation keeps them. Every file
exists except one plug-in's, so each run drops it and saves. Plug-ins come
in groups, so the start-up gives each its folder; every installation links
a hundred of them. ROOT/files.txt lists the host path of every catalogued
file, for the floor.
"""
import os
import sys

INSTALLATIONS = 10


def main():
    root, sections = sys.argv[1], int(sys.argv[2])
    plugins = sections - INSTALLATIONS
    drive = os.path.join(root, "drive_d")
    for folder in ("Vantrel/bin", "Vantrel/db", "Vantrel/plugins", "log"):
        os.makedirs(os.path.join(drive if folder != "log" else root, folder), exist_ok=True)
    with open(os.path.join(root, "registry.reg"), "wb") as reg:
        reg.write(b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  b"\"target\"=\"D:\\\\Vantrel\\\\db\"\r\n\r\n")
    files = []
    out = []
    links = ",".join("PlugIn_%d" % (1 + (i * 97) % plugins) for i in range(100))
    for k in range(1, INSTALLATIONS + 1):
        if k == 1:
            location = "D:\\Vantrel\\bin\\vn_app.exe"
        else:
            location = "D:\\Vantrel\\ide%d\\bin\\vn_app.exe" % k
        host = os.path.join(drive, *location[3:].split("\\"))
        os.makedirs(os.path.dirname(host), exist_ok=True)
        open(host, "wb").close()
        files.append(host)
        out.append("[VntInstallation_%d]\r\nDisplayName=Vantrel %d\r\nProgLocation=%s\r\nSdkVersion=4.5\r\n"
                   "CpuSupport=*\r\nStatus=16\r\nPlugInLst_GrpName=%s\r\n\r\n" % (k, k, location, links))
    for i in range(1, plugins + 1):
        location = "D:\\Vantrel\\plugins\\plug%06d.dll" % i
        host = os.path.join(drive, "Vantrel", "plugins", "plug%06d.dll" % i)
        if i != plugins // 2:
            with open(host, "wb") as f:
                f.write(b"MZ")
            files.append(host)
        out.append("[PlugIn_%d]\r\nDisplayName=Plug-in %d\r\nProgLocation=%s\r\nSdkVersion=2.0\r\n"
                   "CpuSupport=FamA,FamB\r\nPlugInLst_GrpName=Group%d <d:\\vantrel\\plugins>\r\n"
                   "GroupDescription=Tools of group %d\r\nSku=STD\r\nHelpFile=plug%06d.chm\r\nStatus=16\r\n"
                   "LastAccessDate=2006-12-04 15:04:33\r\n\r\n" % (i, i, location, i % 50, i % 50, i))
    with open(os.path.join(drive, "Vantrel", "db", "vnt_Compdb.ini"), "wb") as db:
        db.write("".join(out).encode("cp1252"))
    with open(os.path.join(root, "files.txt"), "w") as listing:
        listing.write("\n".join(files) + "\n")


if __name__ == "__main__":
    main()
