#!/usr/bin/env python3
"""Generate src/checks/unicode_tables.inc from the Unicode Character Database.

Usage: gen_unicode.py [UCD_DIR] [OUTPUT]
  UCD_DIR  directory holding UnicodeData.txt, SpecialCasing.txt, PropList.txt
           and DerivedCoreProperties.txt (default: /usr/share/unicode)
  OUTPUT   file to write (default: src/checks/unicode_tables.inc next to
           this script's repository root)

The output holds compact sorted tables that src/checks/unicode.cpp searches
by binary search:
  * lower_ranges: single code point lower-case mappings as runs of code points
    sharing one delta, either consecutive (stride 1) or every second code
    point (stride 2, the upper/lower alternating pattern);
  * lower_multi: mappings to more than one code point;
  * white_space_ranges, cased_ranges, case_ignorable_ranges: [first, last]
    ranges of code points having the property.
Standard library only.
"""

import os
import re
import sys

MAX_CODE_POINT = 0x10FFFF
MAX_MULTI_LENGTH = 3
MAX_SPAN = 0xFFFF  # LowerRange::span is a uint16_t


def data_lines(path):
    """Yield the non-empty, comment-stripped lines of a UCD file."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield line


def file_version(path):
    """Return the version from a header line like '# PropList-15.0.0.txt'."""
    with open(path, encoding="utf-8") as f:
        first = f.readline()
    m = re.match(r"#\s*\S+-(\d+\.\d+\.\d+)\.txt", first)
    if not m:
        sys.exit(f"error: no version header in {path}")
    return m.group(1)


def parse_code_points(text):
    return [int(part, 16) for part in text.split()]


def read_property(path, name):
    """Return the set of code points having binary property `name`."""
    result = set()
    for line in data_lines(path):
        fields = [f.strip() for f in line.split(";")]
        if fields[1] != name:
            continue
        first, _, last = fields[0].partition("..")
        lo = int(first, 16)
        hi = int(last, 16) if last else lo
        result.update(range(lo, hi + 1))
    if not result:
        sys.exit(f"error: property {name} not found in {path}")
    return result


def read_simple_lower(path):
    """Return {code point: lower-case code point} from UnicodeData.txt."""
    result = {}
    for line in data_lines(path):
        fields = line.split(";")
        if len(fields) != 15:
            sys.exit(f"error: malformed line in {path}: {line}")
        if fields[13]:
            result[int(fields[0], 16)] = int(fields[13], 16)
    return result


def read_special_lower(path):
    """Return {code point: tuple} of unconditional full lower-case mappings.

    Entries carrying a condition list (language or context dependent) are
    skipped; the program handles the final sigma context in code.
    """
    result = {}
    for line in data_lines(path):
        fields = [f.strip() for f in line.split(";")]
        # code; lower; title; upper; [conditions;]
        conditions = fields[4] if len(fields) > 4 else ""
        if conditions:
            continue
        result[int(fields[0], 16)] = tuple(parse_code_points(fields[1]))
    return result


def to_ranges(code_points):
    """Collapse a set of code points into sorted [first, last] ranges."""
    ranges = []
    for cp in sorted(code_points):
        if ranges and ranges[-1][1] + 1 == cp:
            ranges[-1][1] = cp
        else:
            ranges.append([cp, cp])
    return ranges


def lower_delta_ranges(singles):
    """Group {cp: delta} into (first, span, stride, delta) runs.

    A stride-2 run only skips code points that have no mapping, so runs never
    overlap and a code point belongs to at most one run.
    """
    runs = []
    cps = sorted(singles)
    i = 0
    while i < len(cps):
        first = cps[i]
        delta = singles[first]
        stride = 1
        if (singles.get(first + 1) != delta and
                singles.get(first + 2) == delta and first + 1 not in singles):
            stride = 2
        last = first
        while True:
            nxt = last + stride
            if singles.get(nxt) != delta:
                break
            if stride == 2 and last + 1 in singles:
                break
            if nxt - first > MAX_SPAN:
                break
            last = nxt
        runs.append((first, last - first, stride, delta))
        i = cps.index(last, i) + 1
    return runs


def format_rows(items, per_line, indent="    "):
    lines = []
    for k in range(0, len(items), per_line):
        lines.append(indent + " ".join(items[k:k + per_line]))
    return "\n".join(lines)


def main():
    ucd = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_path = (sys.argv[2] if len(sys.argv) > 2 else
                os.path.join(repo, "src", "checks", "unicode_tables.inc"))

    unicode_data = os.path.join(ucd, "UnicodeData.txt")
    special_casing = os.path.join(ucd, "SpecialCasing.txt")
    prop_list = os.path.join(ucd, "PropList.txt")
    derived_core = os.path.join(ucd, "DerivedCoreProperties.txt")

    versions = {file_version(p) for p in (special_casing, prop_list, derived_core)}
    if len(versions) != 1:
        sys.exit(f"error: UCD files disagree on the version: {sorted(versions)}")
    version = versions.pop()

    lower = {cp: (m,) for cp, m in read_simple_lower(unicode_data).items()}
    lower.update(read_special_lower(special_casing))

    singles = {}
    multi = []
    for cp in sorted(lower):
        mapping = lower[cp]
        if len(mapping) == 1:
            if mapping[0] != cp:
                singles[cp] = mapping[0] - cp
        else:
            if len(mapping) > MAX_MULTI_LENGTH:
                sys.exit(f"error: mapping of U+{cp:04X} is too long")
            multi.append((cp, mapping))

    runs = lower_delta_ranges(singles)
    # Every single mapping must be reproduced by exactly one run.
    covered = {}
    for first, span, stride, delta in runs:
        for cp in range(first, first + span + 1, stride):
            assert cp not in covered
            covered[cp] = delta
    assert covered == singles

    white_space = to_ranges(read_property(prop_list, "White_Space"))
    cased = to_ranges(read_property(derived_core, "Cased"))
    case_ignorable = to_ranges(read_property(derived_core, "Case_Ignorable"))

    def range_table(name, ranges):
        rows = [f"{{0x{a:04X}, 0x{b:04X}}}," for a, b in ranges]
        return (f"static constexpr CodePointRange {name}[] = {{\n"
                f"{format_rows(rows, 4)}\n}};\n")

    run_rows = [f"{{0x{f:04X}, {s}, {st}, {d}}}," for f, s, st, d in runs]
    multi_rows = []
    for cp, mapping in multi:
        padded = list(mapping) + [0] * (MAX_MULTI_LENGTH - len(mapping))
        cps = ", ".join(f"0x{c:04X}" for c in padded)
        multi_rows.append(f"{{0x{cp:04X}, {len(mapping)}, {{{cps}}}}},")
    if not multi_rows:
        sys.exit("error: no multi-character lower-case mappings found")

    text = f"""// Generated by tools/gen_unicode.py from Unicode {version} data. Do not edit.
#pragma once

#include <cstdint>

namespace unicode_tables {{

static constexpr char unicode_version[] = "{version}";

// Code points first, first + stride, ..., first + span map to cp + delta.
struct LowerRange {{
    std::uint32_t first;
    std::uint16_t span;
    std::uint16_t stride;
    std::int32_t delta;
}};

// Code point `first` maps to `length` code points.
struct LowerMulti {{
    std::uint32_t first;
    std::uint32_t length;
    std::uint32_t mapping[{MAX_MULTI_LENGTH}];
}};

struct CodePointRange {{
    std::uint32_t first;
    std::uint32_t last;
}};

static constexpr LowerRange lower_ranges[] = {{
{format_rows(run_rows, 4)}
}};

static constexpr LowerMulti lower_multi[] = {{
{format_rows(multi_rows, 1)}
}};

{range_table("white_space_ranges", white_space)}
{range_table("cased_ranges", cased)}
{range_table("case_ignorable_ranges", case_ignorable)}
}}  // namespace unicode_tables
"""
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    print(f"wrote {out_path}: Unicode {version}, {len(runs)} lower ranges, "
          f"{len(multi)} multi mappings, {len(white_space)} white space, "
          f"{len(cased)} cased, {len(case_ignorable)} case-ignorable ranges")


if __name__ == "__main__":
    main()
