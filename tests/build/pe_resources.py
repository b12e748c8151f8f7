#!/usr/bin/env python3
"""Reads the resources back out of a PE32+ executable and checks that the
program ships what Windows needs from it: the icon group, the version
information and the application manifest.

    pe_resources.py EXE VERSION  prints each finding; exit 1 if any is wrong
                                 (VERSION: the project's, major.minor.patch)

Only the standard library; every read is bounds-checked, so a damaged file
gives a finding ("resource table unreadable: ...") instead of a traceback.
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
NAME_STRINGS = {
    "FileDescription": "Quellix Detect",
    "ProductName": "Quellix Detect",
    "InternalName": "quellix-detect",
    "OriginalFilename": "quellix-detect.exe",
}
WINDOWS_10_ID = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"

NS_ASM1 = "urn:schemas-microsoft-com:asm.v1"
NS_ASM3 = "urn:schemas-microsoft-com:asm.v3"
NS_COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
NS_WS2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
NS_WS2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"


class Unreadable(Exception):
    pass


def unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise Unreadable(f"{size} bytes at {offset} are past the end ({len(data)})")
    return struct.unpack_from(fmt, data, offset)


def read_resources(data):
    """{(type, id): bytes} for every resource with a numeric type and id
    (the first language of each)."""
    return {key: data[start:start + size]
            for key, (start, size, _) in resource_locations(data).items()}


def resource_locations(data):
    """{(type, id): (file offset, size, offset of the id's directory entry)}."""
    if data[:2] != b"MZ":
        raise Unreadable("no MZ header")
    (pe,) = unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise Unreadable("no PE signature")
    _, sections, _, _, _, optional_size, _ = unpack("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    (magic,) = unpack("<H", data, optional)
    if magic != 0x20B:
        raise Unreadable(f"not PE32+ (optional header magic {magic:#x})")
    (directories,) = unpack("<I", data, optional + 108)
    if directories <= 2:
        return {}
    root_rva, _ = unpack("<II", data, optional + 112 + 2 * 8)
    if root_rva == 0:
        return {}

    table = optional + optional_size
    spans = []
    for i in range(sections):
        vsize, vaddr, raw_size, raw_ptr = unpack("<IIII", data, table + 40 * i + 8)
        spans.append((vaddr, max(vsize, raw_size), raw_ptr, raw_size))

    def file_offset(rva, length=1):
        for vaddr, vsize, raw_ptr, raw_size in spans:
            if vaddr <= rva and rva + length <= vaddr + min(vsize, raw_size):
                return raw_ptr + rva - vaddr
        raise Unreadable(f"RVA {rva:#x}+{length} lies in no section")

    root = file_offset(root_rva)

    def entries(directory):
        _, _, _, _, named, numbered = unpack("<IIHHHH", data, directory)
        if named + numbered > 4096:
            raise Unreadable("implausible resource directory")
        for i in range(named + numbered):
            name, target = unpack("<II", data, directory + 16 + 8 * i)
            yield name, target

    found = {}
    for type_name, type_target in entries(root):
        if type_name & 0x80000000 or not type_target & 0x80000000:
            continue
        id_directory = root + (type_target & 0x7FFFFFFF)
        for index, (id_name, id_target) in enumerate(entries(id_directory)):
            if id_name & 0x80000000 or not id_target & 0x80000000:
                continue
            languages = list(entries(root + (id_target & 0x7FFFFFFF)))
            if not languages or languages[0][1] & 0x80000000:
                continue
            rva, size, _, _ = unpack("<IIII", data, root + languages[0][1])
            start = file_offset(rva, size)
            if start + size > len(data):
                raise Unreadable(f"resource {type_name}/{id_name} runs past the end of the file")
            found[(type_name, id_name)] = (start, size, id_directory + 16 + 8 * index)
    return found


# --- icon group --------------------------------------------------------------

def icon_image(blob):
    """(width, height, bits per pixel, form) of one RT_ICON image."""
    if blob[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour = unpack(">IIBB", blob, 16)
        bits = depth * 4 if colour == 6 else depth  # colour type 6: RGBA
        return width, height, bits, "PNG"
    header, width, height, _, bits = unpack("<IiiHH", blob, 0)
    if header != 40:
        raise Unreadable(f"icon image header of {header} bytes")
    return width, height // 2, bits, "DIB"


def check_icons(res):
    group = res.get((RT_GROUP_ICON, 1))
    if group is None:
        return ["icon group 1 missing"]
    problems = []
    reserved, kind, count = unpack("<HHH", group, 0)
    if reserved != 0 or kind != 1:
        problems.append(f"icon group 1 header {reserved}, {kind}")
    sizes = []
    for i in range(count):
        w, h, _, _, _, bits, length, image_id = unpack("<BBBBHHIH", group, 6 + 14 * i)
        w, h = w or 256, h or 256
        image = res.get((RT_ICON, image_id))
        if image is None:
            problems.append(f"icon image {image_id} ({w} px) missing")
            continue
        iw, ih, ibits, form = icon_image(image)
        if (iw, ih) != (w, h):
            problems.append(f"icon image {image_id}: group says {w}x{h}, {form} is {iw}x{ih}")
        if bits != 32 or ibits != 32:
            problems.append(f"icon {w} px: {bits} bpp in the group, {ibits} in the {form}")
        if length != len(image):
            problems.append(f"icon {w} px: group says {length} bytes, image has {len(image)}")
        sizes.append(w)
    if sorted(sizes) != list(ICON_SIZES):
        problems.append(f"icon sizes {sorted(sizes)}, want {list(ICON_SIZES)}")
    return problems


# --- version information ------------------------------------------------------

def version_nodes(blob, offset=0, end=None):
    """Walks VS_VERSIONINFO-style nodes: (key, value bytes, is_text, children)."""
    end = len(blob) if end is None else end
    while offset + 6 <= end:
        length, value_length, is_text = unpack("<HHH", blob, offset)
        if length < 6 or offset + length > end:
            raise Unreadable(f"version node of {length} bytes at {offset}")
        key_end = offset + 6
        while True:
            (unit,) = unpack("<H", blob, key_end)
            key_end += 2
            if unit == 0:
                break
        key = blob[offset + 6:key_end - 2].decode("utf-16-le")
        value_start = (key_end + 3) & ~3
        value_bytes = value_length * 2 if is_text else value_length
        value = blob[value_start:value_start + value_bytes]
        children_start = (value_start + value_bytes + 3) & ~3
        yield key, value, is_text, (children_start, offset + length)
        offset = (offset + length + 3) & ~3


def version_numbers(version):
    """(major, minor, patch, 0) from "major.minor.patch"."""
    parts = version.split(".")
    if len(parts) != 3 or not all(p.isdigit() and int(p) <= 0xFFFF for p in parts):
        raise ValueError(f"version {version!r} is not major.minor.patch")
    return tuple(map(int, parts)) + (0,)


def check_version(res, version):
    blob = res.get((RT_VERSION, 1))
    if blob is None:
        return ["version information missing"]
    problems = []
    nodes = list(version_nodes(blob))
    if not nodes or nodes[0][0] != "VS_VERSION_INFO":
        return ["version information has no VS_VERSION_INFO root"]
    _, fixed, _, (child_start, child_end) = nodes[0]
    signature, _, file_ms, file_ls, product_ms, product_ls = unpack("<6I", fixed, 0)
    if signature != 0xFEEF04BD:
        problems.append(f"fixed file info signature {signature:#x}")

    def numbers(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    for name, ms, ls in (("FILEVERSION", file_ms, file_ls), ("PRODUCTVERSION", product_ms, product_ls)):
        if numbers(ms, ls) != version_numbers(version):
            problems.append(f"{name} {'.'.join(map(str, numbers(ms, ls)))}, want {version}.0")

    strings = {}
    for key, _, _, (s_start, s_end) in version_nodes(blob, child_start, child_end):
        if key != "StringFileInfo":
            continue
        for _, _, _, (t_start, t_end) in version_nodes(blob, s_start, s_end):
            for name, value, _, _ in version_nodes(blob, t_start, t_end):
                strings[name] = value.decode("utf-16-le").rstrip("\0")
    for name, want in {**NAME_STRINGS, "FileVersion": version, "ProductVersion": version}.items():
        got = strings.get(name)
        if got != want:
            problems.append(f"version string {name} = {got!r}, want {want!r}")
    return problems


# --- manifest -----------------------------------------------------------------

def check_manifest(res, version):
    blob = res.get((RT_MANIFEST, 1))
    if blob is None:
        return ["manifest with id 1 missing"]
    try:
        root = ET.fromstring(blob)
    except ET.ParseError as error:
        return [f"manifest is not well-formed XML: {error}"]
    problems = []

    def texts(path):
        return [(e.text or "").strip() for e in root.iterfind(path)]

    identity = root.find(f"{{{NS_ASM1}}}assemblyIdentity")
    if identity is None or identity.get("version") != f"{version}.0":
        problems.append(f"assembly version {None if identity is None else identity.get('version')!r}, "
                        f"want {version}.0")

    levels = root.findall(f".//{{{NS_ASM3}}}requestedExecutionLevel")
    if [(e.get("level"), e.get("uiAccess")) for e in levels] != [("asInvoker", "false")]:
        problems.append("execution level is not asInvoker with uiAccess false: "
                        f"{[(e.get('level'), e.get('uiAccess')) for e in levels]}")

    ids = [(e.get("Id") or "").lower() for e in root.iterfind(f".//{{{NS_COMPAT}}}supportedOS")]
    if WINDOWS_10_ID not in ids:
        problems.append(f"supportedOS {WINDOWS_10_ID} missing (found {ids})")

    settings = f"{{{NS_ASM3}}}application/{{{NS_ASM3}}}windowsSettings"
    awareness = texts(f"{settings}/{{{NS_WS2016}}}dpiAwareness")
    # Windows takes the first value it knows from a comma-separated list.
    if len(awareness) != 1 or awareness[0].split(",")[0].strip().lower() != "permonitorv2":
        problems.append(f"dpiAwareness {awareness}, want PerMonitorV2")
    aware = texts(f"{settings}/{{{NS_WS2005}}}dpiAware")
    if [a.lower() for a in aware] != ["true/pm"]:
        problems.append(f"dpiAware {aware}, want true/pm")

    controls = [e for e in root.iterfind(
        f"{{{NS_ASM1}}}dependency/{{{NS_ASM1}}}dependentAssembly/{{{NS_ASM1}}}assemblyIdentity")
        if e.get("name") == "Microsoft.Windows.Common-Controls"]
    wanted = {"type": "win32", "version": "6.0.0.0", "publicKeyToken": "6595b64144ccf1df"}
    if len(controls) != 1 or any(controls[0].get(k) != v for k, v in wanted.items()) \
            or controls[0].get("processorArchitecture") not in ("*", "amd64"):
        problems.append(f"Common-Controls 6.0.0.0 dependency missing or wrong: "
                        f"{[c.attrib for c in controls]}")
    return problems


def check(data, version):
    try:
        res = read_resources(data)
        problems = check_icons(res)
        for part in (check_version, check_manifest):
            problems += part(res, version)
        return problems
    except (Unreadable, UnicodeDecodeError) as error:
        return [f"resource table unreadable: {error}"]


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    version = argv[2]
    version_numbers(version)
    with open(argv[1], "rb") as f:
        problems = check(f.read(), version)
    for problem in problems:
        print(f"FAIL: {problem}")
    if not problems:
        print(f"resources ok: icon group 1 (7 sizes, 32 bpp), version {version}.0, manifest")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
