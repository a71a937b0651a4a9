#!/usr/bin/env python3
"""Fails when a source file includes a layer it must not see.

The layers of src/, each including only those below it:
  support  <  platform (the ports)  <  catalog  <  services  <  app  <  shell  <  entry
Among the services, one may include another only when it stands lower in
SERVICE_ORDER. Adapters (src/platform/memory|hosted|win32) see only support,
the ports and, for the hosted machine, the in-memory ports it persists. The
entry points tie the shell to an adapter. The tool sees only its own files
and the public header folder include/comp_mgr; the component engine (engine/)
sees its own files, include/comp_mgr and src/support; the public headers see
nothing of src/. The resource identifiers (resources/resource_ids.h) are plain
numbers any layer may name. Tests and benchmarks may include anything.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LAYERS = ["support", "platform", "catalog", "services", "app", "shell", "entry"]
SERVICE_ORDER = {
    "engine_bridge": 0, "linking": 0, "registration": 0, "setup": 0, "versions": 0,
    "detection": 1, "repairs": 1,
    "records": 2,
    "scan": 3, "advisor": 3,
    "diagnosis": 4,
}
ADAPTERS = {"memory": set(), "hosted": {"memory"}, "win32": set()}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(path):
    """(kind, name) of a path relative to src/ or include/, or None."""
    parts = pathlib.PurePosixPath(path).parts
    if not parts:
        return None
    if parts[0] == "comp_mgr":
        return ("public", "comp_mgr")
    if parts[0] == "platform" and len(parts) > 2:
        return ("adapter", parts[1])
    if parts[0] == "services" and len(parts) > 2:
        return ("service", parts[1])
    if parts[0] in LAYERS:
        return ("layer", parts[0])
    return None


def label(unit):
    kind, name = unit
    return {"service": f"services/{name}", "adapter": f"platform/{name}"}.get(kind, name)


def rank(unit):
    kind, name = unit
    return LAYERS.index("services") if kind == "service" else LAYERS.index(name)


def allowed(source, target):
    """Why `source` may not include `target`, or None when it may."""
    if target in (("public", "comp_mgr"), ("resources", "resources")):
        return None
    if source == target:
        return None
    skind, sname = source
    tkind, tname = target
    if skind == "public":
        return "the public headers include nothing of src/"
    if skind == "adapter":
        if tkind == "layer" and tname in ("support", "platform"):
            return None
        if tkind == "adapter" and tname in ADAPTERS.get(sname, set()):
            return None
        return "an adapter sees only support/, the ports and the adapters it builds on"
    if tkind == "adapter":
        if source == ("layer", "entry"):
            return None
        return "only the entry points see an adapter"
    if skind == "service" and tkind == "service":
        if SERVICE_ORDER.get(tname, 99) < SERVICE_ORDER.get(sname, -1):
            return None
        return f"{label(source)} may not include {label(target)} (not below it in the service order)"
    if rank(target) < rank(source):
        return None
    return f"{label(source)} may not include {label(target)}, which is not below it"


def resolve(include, including_file):
    """The unit an include names, trying src/, include/ and the file's folder."""
    for base in (ROOT / "src", ROOT / "include"):
        if (base / include).exists():
            return unit_of(include)
    # The resource identifiers are plain numbers that any layer may name.
    if (ROOT / "resources" / include).exists():
        return ("resources", "resources")
    if (including_file.parent / include).exists():
        return "local"
    return None


def check_src(problems):
    for file in sorted((ROOT / "src").rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        source = unit_of(file.relative_to(ROOT / "src").as_posix())
        for number, line in enumerate(file.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = resolve(match.group(1), file)
            if target in (None, "local"):
                problems.append(f"{file.relative_to(ROOT)}:{number}: unknown include \"{match.group(1)}\"")
                continue
            reason = allowed(source, target)
            if reason:
                problems.append(f"{file.relative_to(ROOT)}:{number}: includes \"{match.group(1)}\": {reason}")


def check_public_and_tool(problems):
    folders = [(ROOT / "include", "the public headers include nothing of src/", ()),
               (ROOT / "tools", "the tool only loads the library: it sees its own files, include/comp_mgr "
                "and the text helpers of src/support", ("support/",)),
               (ROOT / "engine", "the engine sees its own files, include/comp_mgr and src/support", ("support/",))]
    for folder, reason, shared in folders:
        for file in sorted(folder.rglob("*")):
            if file.suffix not in (".h", ".cpp"):
                continue
            for number, line in enumerate(file.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                name = match.group(1)
                if (file.parent / name).exists() or name.startswith("comp_mgr/"):
                    continue
                if shared and name.startswith(shared) and (ROOT / "src" / name).exists():
                    continue
                problems.append(f"{file.relative_to(ROOT)}:{number}: includes \"{name}\": {reason}")


def main():
    problems = []
    check_src(problems)
    check_public_and_tool(problems)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layers")
        return 1
    print("includes follow the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
