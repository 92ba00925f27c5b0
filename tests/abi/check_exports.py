#!/usr/bin/env python3
"""Checks the export and import tables of TavixConfigSet.dll against the
public header, independently of the export table the build uses.

The names come from clang compiling the header for i686-pc-windows-msvc: the
decoration an MSVC program's import of each declaration asks for. Ordinals:
1-3 the plain-name aliases in their fixed order, then the namespace functions
in the byte order of their decorated names.
"""
import json
import re
import subprocess
import sys

ALIASES = ["SetSetupPath_API", "SetLogServerAddr_API", "SetLogServerPort_API"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "ws2_32.dll", "msvcrt.dll"}


def header_names(header):
    dump = subprocess.run(
        ["clang", "--target=i686-pc-windows-msvc", "-x", "c++", "-fsyntax-only",
         "-Xclang", "-ast-dump=json", header],
        check=True, capture_output=True, text=True).stdout
    names = {}
    # The dump names a file only where it changes from the node before.
    current = {"file": ""}

    def walk(node):
        for key in ("loc", "range"):
            where = node.get(key, {})
            for part in (where, where.get("begin", {})):
                if "file" in part:
                    current["file"] = part["file"]
        if node.get("kind") == "FunctionDecl" and current["file"].endswith("TavixConfigSet.h") \
                and "mangledName" in node:
            names[node["name"]] = node["mangledName"]
        for child in node.get("inner", []):
            walk(child)

    walk(json.loads(dump))
    return names


def dll_exports(dll):
    out = subprocess.run(["llvm-readobj", "--coff-exports", dll], check=True,
                         capture_output=True, text=True).stdout
    rows = re.findall(r"Ordinal: (\d+)\s+Name: (\S*)\s+RVA: (0x[0-9A-Fa-f]+)", out)
    return [(int(o), n, int(r, 16)) for o, n, r in rows]


def dll_imports(dll):
    out = subprocess.run(["llvm-readobj", "--coff-imports", dll], check=True,
                         capture_output=True, text=True).stdout
    imports = {}
    current = None
    for line in out.splitlines():
        m = re.match(r"\s+Name: (\S+)", line)
        if m:
            current = m.group(1).lower()
            imports.setdefault(current, [])
        m = re.match(r"\s+Symbol: (\S*) \((\d+)\)", line)
        if m and current:
            imports[current].append(m.group(1))
    return imports


def main():
    header, dll = sys.argv[1], sys.argv[2]
    failures = []
    names = header_names(header)
    if len(names) != 64:
        failures.append(f"header declares {len(names)} functions, not 64")

    expected = {}
    for i, alias in enumerate(ALIASES, 1):
        mangled = names.get(alias, "")
        # An MSVC import of an extern "C" stdcall name binds to the name
        # without its underscore and @N.
        if not re.fullmatch(rf"_{alias}@\d+", mangled):
            failures.append(f"{alias}: header gives {mangled!r}, not a plain stdcall name")
        expected[alias] = i
    decorated = sorted((m for n, m in names.items() if n not in ALIASES), key=lambda s: s.encode())
    for i, m in enumerate(decorated, 4):
        expected[m] = i

    exports = dll_exports(dll)
    seen = {}
    for ordinal, name, rva in exports:
        seen[name] = (ordinal, rva)
        if name not in expected:
            failures.append(f"ordinal {ordinal}: {name!r} is no declaration of the header")
        elif expected[name] != ordinal:
            failures.append(f"{name}: ordinal {ordinal}, expected {expected[name]}")
    for name, ordinal in expected.items():
        if name not in seen:
            failures.append(f"{name} (ordinal {ordinal}) is not exported")
    setup = "?SetSetupPath@tavixconfig@@YGHPBDI@Z"
    if "SetSetupPath_API" in seen and setup in seen and seen["SetSetupPath_API"][1] != seen[setup][1]:
        failures.append("SetSetupPath_API and SetSetupPath are not one entry")

    imports = dll_imports(dll)
    for module, symbols in imports.items():
        if module == "environment.dll":
            named = [s for s in symbols if s]
            if named:
                failures.append(f"environment.dll imported by name: {named}")
        elif module not in SYSTEM_DLLS:
            failures.append(f"imports {module}, which is not a Windows system DLL")
    if "environment.dll" not in imports:
        failures.append("environment.dll is not imported")

    for f in failures:
        print("FAIL:", f)
    print(f"{len(exports)} exports checked against {len(names)} declarations: "
          f"{'ok' if not failures else str(len(failures)) + ' problems'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
