#!/usr/bin/env python3
"""Checks the resources of halden.exe, as icoutils' wrestool reads them: the
program's icon (every image of packaging/icons/halden.ico, in one icon
group), version information carrying the project's version, and the
application manifest (Common Controls 6, the supported Windows versions, the
DPI settings, the word size). Given a zip, checks the halden.exe it ships
(CPack strips it on the way in).

    exe_resources.py EXE|ZIP 32|64 VERSION ICO
"""
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS = {
    "dpiAware": ("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "false"),
    "dpiAwareness": ("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "unaware"),
    "gdiScaling": ("http://schemas.microsoft.com/SMI/2017/WindowsSettings", "true"),
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def resource(exe, kind, name=None):
    command = ["wrestool", "-x", "--raw", f"--type={kind}"]
    if name is not None:
        command.append(f"--name={name}")
    done = subprocess.run(command + [exe], capture_output=True, check=False)
    return done.stdout if done.returncode == 0 else b""


def listing(exe):
    done = subprocess.run(["wrestool", "-l", exe], capture_output=True, text=True, check=True)
    entries = []
    for line in done.stdout.splitlines():
        fields = dict(part.split("=", 1) for part in line.split() if part.startswith("--"))
        entries.append((int(fields["--type"]), fields["--name"]))
    return entries


def icon_images(ico):
    """(width, height, bits, bytes) of each image of an .ico file."""
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    images = []
    for i in range(count):
        width, height, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        images.append((width, height, bits, ico[offset:offset + size]))
    return images


def check_icon(exe, ico_path):
    with open(ico_path, "rb") as file:
        expected = icon_images(file.read())
    group = resource(exe, RT_GROUP_ICON)
    if not check(len(group) >= 6, "no icon group"):
        return
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    check(kind == 1 and count == len(expected),
          f"the icon group holds {count} images, not the {len(expected)} of {ico_path}")
    for i in range(min(count, len(expected))):
        width, height, _, _, _, bits, size, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        want_width, want_height, want_bits, want_bytes = expected[i]
        label = f"icon image {i + 1} ({want_width or 256} pixels)"
        check((width, height, bits) == (want_width, want_height, want_bits),
              f"{label}: the group says {width}x{height}, {bits} bits")
        check(resource(exe, RT_ICON, ident) == want_bytes, f"{label}: not the image of {ico_path}")


def align4(offset):
    return (offset + 3) & ~3


def version_node(data, at):
    """One node of a VS_VERSIONINFO tree: (key, value, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    start = align4(key_end + 2)
    size = value_length * 2 if kind == 1 else value_length  # text counts characters
    value = data[start:start + size]
    if kind == 1:
        value = value.decode("utf-16-le").rstrip("\0")
    children = []
    child = align4(start + size)
    while child < end:
        node = version_node(data, child)
        children.append(node)
        child = align4(node[3])
    return key, value, children, end


def check_version(exe, version):
    data = resource(exe, RT_VERSION)
    if not check(len(data) >= 6, "no version information"):
        return
    key, fixed, children, _ = version_node(data, 0)
    check(key == "VS_VERSION_INFO", f"the version resource is {key!r}")
    if not check(len(fixed) == 52 and struct.unpack_from("<I", fixed, 0)[0] == 0xFEEF04BD,
                 "no VS_FIXEDFILEINFO in the version information"):
        return
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
    parts = [int(p) for p in version.split(".")] + [0]
    want_ms, want_ls = parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]
    check((file_ms, file_ls) == (want_ms, want_ls), "FILEVERSION is not the project's version")
    check((product_ms, product_ls) == (want_ms, want_ls), "PRODUCTVERSION is not the project's version")
    strings = {}
    for name, _, tables, _ in children:
        if name == "StringFileInfo":
            for _, _, entries, _ in tables:
                strings.update({entry[0]: entry[1] for entry in entries})
    for key, value in (("FileVersion", version), ("ProductVersion", version),
                       ("ProductName", "Halden"), ("OriginalFilename", "halden.exe")):
        check(strings.get(key) == value, f'"{key}" is {strings.get(key)!r}, not "{value}"')


def check_manifest(exe, bits, version):
    data = resource(exe, RT_MANIFEST, 1)
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        check(False, f"the manifest is not XML: {error}")
        return
    identity = root.find(f"{{{ASM_V1}}}assemblyIdentity")
    if check(identity is not None, "the manifest names no assembly"):
        check(identity.get("version") == version + ".0", "the manifest's version is not the project's")
        arch = {"32": "x86", "64": "amd64"}[bits]
        check(identity.get("processorArchitecture") == arch,
              f"the manifest is for {identity.get('processorArchitecture')}, not {arch}")
    controls = [
        dep for dep in root.iter(f"{{{ASM_V1}}}assemblyIdentity")
        if dep.get("name") == "Microsoft.Windows.Common-Controls"
    ]
    check(any(dep.get("version") == "6.0.0.0" and dep.get("publicKeyToken") == "6595b64144ccf1df"
              for dep in controls), "the manifest does not ask for Common Controls 6")
    listed = {os.get("Id") for os in root.iter(f"{{{COMPATIBILITY}}}supportedOS")}
    for guid, name in SUPPORTED_OS.items():
        check(guid in listed, f"the manifest does not list {name} as supported")
    settings = root.find(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings")
    if check(settings is not None, "the manifest has no windowsSettings"):
        for name, (namespace, value) in SETTINGS.items():
            element = settings.find(f"{{{namespace}}}{name}")
            check(element is not None and element.text.strip() == value, f"{name} is not {value}")
    level = root.find(f".//{{{ASM_V3}}}requestedExecutionLevel")
    check(level is not None and level.get("level") == "asInvoker",
          "the manifest does not run the program as its user (asInvoker)")


def main():
    program, bits, version, ico = sys.argv[1:5]
    if not os.path.isfile(program):
        print(f"FAIL: {program} is not built (cmake --workflow --preset mingw{bits})", file=sys.stderr)
        return 1
    if not zipfile.is_zipfile(program):
        return check_program(program, bits, version, ico)
    with zipfile.ZipFile(program) as archive, tempfile.TemporaryDirectory() as scratch:
        names = [name for name in archive.namelist() if name.endswith("/halden.exe")]
        if len(names) != 1:
            print(f"FAIL: {program} holds no one halden.exe", file=sys.stderr)
            return 1
        exe = os.path.join(scratch, "halden.exe")
        with open(exe, "wb") as file:
            file.write(archive.read(names[0]))
        return check_program(exe, bits, version, ico, f"{program}: {names[0]}")


def check_program(exe, bits, version, ico, label=None):
    label = label or exe
    kinds = {kind for kind, _ in listing(exe)}
    for kind, name in ((RT_GROUP_ICON, "icon"), (RT_VERSION, "version information"),
                       (RT_MANIFEST, "manifest")):
        check(kind in kinds, f"no {name} resource")
    check(listing(exe).count((RT_MANIFEST, "1")) == 1, "not exactly one manifest, as resource 1")
    check_icon(exe, ico)
    check_version(exe, version)
    check_manifest(exe, bits, version)
    for failure in failures:
        print(f"FAIL: {label}: {failure}", file=sys.stderr)
    if not failures:
        print(f"{label}: icon, version {version} and manifest in place")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
