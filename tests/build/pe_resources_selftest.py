#!/usr/bin/env python3
"""Shows that the resource check catches real faults: each case damages one
detail of a good executable in memory (same length, so every offset stays
valid) and expects the check to name that detail.

    pe_resources_selftest.py EXE VERSION     EXE must pass the check itself
"""
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import pe_resources as pe  # noqa: E402

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = pe.RT_ICON, pe.RT_GROUP_ICON, pe.RT_VERSION, pe.RT_MANIFEST


def utf16(text):
    return text.encode("utf-16-le")


def replace_in(kind, old, new, count=None):
    """Replaces old by new inside one resource; count, if given, is how many
    times old must occur there (so a case cannot silently damage nothing)."""
    assert len(old) == len(new), (old, new)

    def mutate(data, where):
        start, size, _ = where[(kind, 1)]
        body = bytes(data[start:start + size])
        found = body.count(old)
        if found == 0 or (count is not None and found != count):
            raise AssertionError(f"{old!r} occurs {found} times in resource {kind}")
        data[start:start + size] = body.replace(old, new)
    return mutate


def patch(kind, res_id, offset, fmt, value):
    """Overwrites a field at a fixed offset inside one resource."""
    def mutate(data, where):
        start, size, _ = where[(kind, res_id)]
        assert offset + struct.calcsize(fmt) <= size
        struct.pack_into(fmt, data, start + offset, value)
    return mutate


def group_entry(index, field_offset, fmt, value):
    """Overwrites a field of the index-th entry of icon group 1."""
    return patch(RT_GROUP_ICON, 1, 6 + 14 * index + field_offset, fmt, value)


def icon_image_of(size):
    """The RT_ICON id that icon group 1 names for the given size."""
    def find(data, where):
        start, _, _ = where[(RT_GROUP_ICON, 1)]
        (count,) = struct.unpack_from("<H", data, start + 4)
        for i in range(count):
            w, _, _, _, _, _, _, image_id = struct.unpack_from("<BBBBHHIH", data, start + 6 + 14 * i)
            if (w or 256) == size:
                return image_id
        raise AssertionError(f"no {size} px entry")
    return find


def patch_image(size, offset, fmt, value):
    def mutate(data, where):
        patch(RT_ICON, icon_image_of(size)(data, where), offset, fmt, value)(data, where)
    return mutate


def renumber(kind, new_id):
    """Gives resource (kind, 1) another id, as if it had been declared wrongly."""
    def mutate(data, where):
        _, _, entry = where[(kind, 1)]
        struct.pack_into("<I", data, entry, new_id)
    return mutate


def fixed_version_ls(which, value):
    """Sets FileVersionLS (which=0) or ProductVersionLS (which=1)."""
    def mutate(data, where):
        start, size, _ = where[(RT_VERSION, 1)]
        at = bytes(data[start:start + size]).find(struct.pack("<I", 0xFEEF04BD))
        assert at >= 0
        struct.pack_into("<I", data, start + at + 12 + 8 * which, value)
    return mutate


def truncate(data, where):
    start, _, _ = where[(RT_MANIFEST, 1)]
    del data[start:]


def another_version(version):
    """A version of the same length that differs in its last digit."""
    return version[:-1] + str((int(version[-1]) + 1) % 10)


def cases(version):
    """(what is damaged, mutation, text the check must report)."""
    major, minor, patch_, _ = pe.version_numbers(version)
    other = another_version(version)
    return [
        ("icon group declared with id 2", renumber(RT_GROUP_ICON, 2), "icon group 1 missing"),
        ("256 px entry dropped from the group", patch(RT_GROUP_ICON, 1, 4, "<H", 6), "icon sizes"),
        ("48 px entry says 24 bpp", group_entry(3, 6, "<H", 24), "icon 48 px: 24 bpp"),
        ("32 px DIB is 24 bpp", patch_image(32, 14, "<H", 24), "icon 32 px: 32 bpp in the group, 24 in the DIB"),
        ("256 px PNG is 255 wide", patch_image(256, 16, ">I", 255), "PNG is 255x256"),
        ("group names a missing image", group_entry(0, 12, "<H", 999), "icon image 999 (16 px) missing"),
        ("group gives the wrong byte count", group_entry(1, 8, "<I", 12), "icon 24 px: group says 12 bytes"),
        ("FILEVERSION of another patch", fixed_version_ls(0, (patch_ ^ 1) << 16),
         f"FILEVERSION {major}.{minor}.{patch_ ^ 1}.0"),
        ("PRODUCTVERSION with a build number", fixed_version_ls(1, patch_ << 16 | 1),
         f"PRODUCTVERSION {major}.{minor}.{patch_}.1"),
        (f"version strings say {other}", replace_in(RT_VERSION, utf16(version + "\0"), utf16(other + "\0"), 2),
         f"version string FileVersion = '{other}'"),
        (f"manifest says {other}", replace_in(RT_MANIFEST, f'version="{version}.0"'.encode(),
                                              f'version="{other}.0"'.encode(), 1), "assembly version"),
        ("product name misspelt", replace_in(RT_VERSION, utf16("Quellix Detect"), utf16("Quellix Detekt"), 2),
         "version string ProductName = 'Quellix Detekt'"),
        ("original file name is a dll", replace_in(RT_VERSION, utf16("quellix-detect.exe"), utf16("quellix-detect.dll"), 1),
         "OriginalFilename = 'quellix-detect.dll'"),
        ("internal name in capitals", replace_in(RT_VERSION, utf16("quellix-detect\0"), utf16("Quellix-Detect\0"), 1),
         "InternalName = 'Quellix-Detect'"),
        ("manifest declared with id 2", renumber(RT_MANIFEST, 2), "manifest with id 1 missing"),
        ("execution level highest", replace_in(RT_MANIFEST, b'level="asInvoker"', b'level="highest"  ', 1), "asInvoker"),
        ("ui access requested", replace_in(RT_MANIFEST, b'uiAccess="false"', b'uiAccess="true" ', 1), "uiAccess false"),
        ("another supportedOS id", replace_in(RT_MANIFEST, b"8e0f7a12", b"8e0f7a13", 1), "supportedOS"),
        ("per-monitor v1 only", replace_in(RT_MANIFEST, b">PerMonitorV2<", b">PerMonitor  <", 1), "want PerMonitorV2"),
        ("system-aware dpiAware", replace_in(RT_MANIFEST, b">true/pm<", b">true   <", 1), "want true/pm"),
        ("common controls 5.8", replace_in(RT_MANIFEST, b'version="6.0.0.0"', b'version="5.8.0.0"', 1), "Common-Controls"),
        ("wrong public key token", replace_in(RT_MANIFEST, b"6595b64144ccf1df", b"6595b64144ccf1de", 1), "Common-Controls"),
        ("manifest not well-formed", replace_in(RT_MANIFEST, b"</assembly>", b"</assembl_>", 1), "not well-formed"),
        ("file cut short", truncate, "resource table unreadable"),
    ]


def main(argv):
    good, version = Path(argv[1]).read_bytes(), argv[2]
    baseline = pe.check(good, version)
    if baseline:
        print("FAIL: the good executable does not pass:", *baseline, sep="\n  ")
        return 1
    where = pe.resource_locations(good)
    failed = 0
    all_cases = cases(version)
    for name, mutate, expected in all_cases:
        data = bytearray(good)
        mutate(data, where)
        problems = pe.check(bytes(data), version)
        if any(expected in p for p in problems):
            print(f"ok: {name}")
        else:
            failed += 1
            print(f"FAIL: {name}: wanted a finding with {expected!r}, got {problems}")
    # The undamaged exe, checked against another version than it carries.
    other = another_version(version)
    problems = pe.check(good, other)
    wanted = [f"FILEVERSION {version}.0, want {other}.0", f"PRODUCTVERSION {version}.0, want {other}.0",
              f"version string FileVersion = '{version}', want '{other}'", "assembly version"]
    missing = [w for w in wanted if not any(w in p for p in problems)]
    if missing:
        failed += 1
        print(f"FAIL: checked against {other}: no finding with {missing}, got {problems}")
    else:
        print(f"ok: checked against {other}")
    print(f"{len(all_cases) + 1 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
