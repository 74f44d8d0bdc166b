#!/usr/bin/env python3
"""The import check of the plug-in DLL a Corvane user installs.

usage: check_dll_imports.py DLL HOST_API_HEADER [OBJECT ...]

Reads the DLL's headers with objdump (i686-w64-mingw32-objdump, else objdump) and checks that
- it is a 32-bit x86 module (machine i386, PE32), as Corvane is a 32-bit program;
- its export table is empty (no table, or one of no entries): the host finds the plug-in
  through XPRegister, not by name;
- it imports from PLV7.exe (Corvane's executable) and Windows' own system DLLs only;
- every function imported from PLV7.exe is declared in the host interface header;
- with the plug-in's object files given, every host-interface function they call is imported
  from PLV7.exe (none bound elsewhere, none linked in).
Prints each failure and exits 1; prints a one-line summary and exits 0 when all hold.
"""
import re
import shutil
import subprocess
import sys

HOST = "plv7.exe"
# Windows' own DLLs a plug-in may import from; compared without regard to case.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "comdlg32.dll",
    "comctl32.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll", "version.dll", "winmm.dll",
    "ws2_32.dll", "msvcrt.dll", "ntdll.dll",
}


def objdump():
    for tool in ("i686-w64-mingw32-objdump", "objdump"):
        if shutil.which(tool):
            return tool
    sys.exit("check_dll_imports: no objdump (install binutils-mingw-w64-i686)")


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def declared_functions(header_text):
    """Functions with C linkage declared in the header (not function-pointer typedefs)."""
    start = header_text.find('extern "C" {')
    end = header_text.rfind("#ifdef __cplusplus")
    block = header_text[start:end] if 0 <= start < end else header_text
    names = set()
    for m in re.finditer(r"(?:^|\n)([A-Za-z_][\w \*]*?(?:WINAPI )?\**\b(\w+)\()", block):
        if "typedef" not in m.group(1):
            names.add(m.group(2))
    return names


def imports(private_headers):
    """{dll name: [function names]} from objdump -p's import tables."""
    table = {}
    current = None
    for line in private_headers.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = table.setdefault(m.group(1), [])
            continue
        m = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)\s*$", line)
        if current is not None and m:
            current.append(m.group(1))
        elif not line.strip() or line.startswith("The "):
            current = None if line.startswith("The ") else current
    return table


def export_count(private_headers):
    """Entries of the export table; 0 without one. The linker writes a table of no entries
    for a DLL that exports nothing."""
    m = re.search(r"Number in:\s*\n\s*Export Address Table\s+([0-9a-fA-F]+)\s*\n"
                  r"\s*\[Name Pointer/Ordinal\] Table\s+([0-9a-fA-F]+)", private_headers)
    if "There is an export table" not in private_headers:
        return 0
    if not m:
        return -1
    return max(int(m.group(1), 16), int(m.group(2), 16))


def undefined_symbols(tool, objects):
    nm = tool.replace("objdump", "nm")
    names = set()
    for line in run(nm, "-u", *objects).splitlines():
        parts = line.split()
        if parts and parts[-1].startswith("_"):
            names.add(parts[-1][1:].split("@")[0])
    return names


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    dll, header = argv[1], argv[2]
    objects = argv[3:]
    tool = objdump()
    failures = []
    summary = run(tool, "-f", dll)
    private = run(tool, "-p", dll)
    if "file format pei-i386" not in summary or not re.search(r"architecture: i386\b", summary):
        failures.append(f"{dll}: not a 32-bit x86 module ({summary.strip().splitlines()[-2:]})")
    exported = export_count(private)
    if exported:
        failures.append(f"{dll}: exports {exported} functions; the plug-in must export nothing")
    table = imports(private)
    if not table:
        failures.append(f"{dll}: no import table found")
    for module in table:
        if module.lower() != HOST and module.lower() not in SYSTEM_DLLS:
            failures.append(f"{dll}: imports {len(table[module])} functions from {module} "
                            f"({', '.join(sorted(table[module])[:5])}, ...); only PLV7.exe and Windows system DLLs "
                            f"are allowed")
    with open(header, encoding="utf-8") as f:
        host_api = declared_functions(f.read())
    from_host = {name for module, names in table.items() if module.lower() == HOST for name in names}
    for name in sorted(from_host - host_api):
        failures.append(f"{dll}: imports {name} from PLV7.exe, which {header} does not declare")
    for module, names in table.items():
        misplaced = sorted(set(names) & host_api)
        if module.lower() != HOST and misplaced:
            failures.append(f"{dll}: takes {len(misplaced)} host-interface functions from {module}, not PLV7.exe "
                            f"({', '.join(misplaced[:5])}, ...)")
    if objects:
        called = undefined_symbols(tool, objects) & host_api
        for name in sorted(called - from_host):
            failures.append(f"{dll}: the plug-in calls {name} of the host interface but does not import it "
                            f"from PLV7.exe")
    for line in failures:
        print("FAIL", line)
    if failures:
        return 1
    others = sorted(m for m in table if m.lower() != HOST)
    print(f"imports OK: {dll}: {len(from_host)} host functions from PLV7.exe; system DLLs {', '.join(others)}; "
          f"no exports; i386")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
