#!/usr/bin/env python3
"""Writes UpperCaseTable.cpp beside this script: the upper-case letter of every UTF-16 unit as the file system
and CompareStringOrdinal(..., TRUE) compare names.

That mapping is Unicode's simple upper-case mapping, kept only where the simple lower-case mapping leads back
(so the micro sign, final sigma, dotless i, long s, the title-case digraphs and the Greek and Cyrillic symbol
variants map to themselves), without case folding (the Kelvin sign stays apart from K). Measured under Wine 8,
whose table is Unicode 14.0's: run this with a Python whose unicodedata is 14.0.0."""
import os
import sys
import unicodedata

if unicodedata.unidata_version != "14.0.0":
    sys.exit("unicodedata %s: the file system's table is Unicode 14.0.0's" % unicodedata.unidata_version)


def simple_upper(c):
    # Python gives the full mappings; where the full one has several characters the simple one is the title
    # case (Greek letters with iota below) or none (sharp s, n preceded by apostrophe).
    for mapped in (chr(c).upper(), chr(c).title()):
        if len(mapped) == 1:
            return ord(mapped)
    return c


def simple_lower(c):
    mapped = chr(c).lower()
    return ord(mapped) if len(mapped) == 1 else c


def upper(c):
    if 0xD800 <= c <= 0xDFFF:
        return c
    u = simple_upper(c)
    return u if simple_lower(u) == c else c


# Runs of characters a fixed distance below or above their upper-case letter, every one or every other one.
mapped = [(c, upper(c) - c) for c in range(0x10000) if upper(c) != c]
runs = []
for c, delta in mapped:
    if runs:
        first, last, d, step = runs[-1]
        if d == delta and (c - last == step or (first == last and c - last == 2)):
            runs[-1] = (first, c, d, c - first if first == last else step)
            continue
    runs.append((c, c, delta, 1))
assert all(upper(c) == c + d for first, last, d, step in runs for c in range(first, last + 1, step))
assert sum(len(range(first, last + 1, step)) for first, last, d, step in runs) == len(mapped)

entries = ["{0x%04X, 0x%04X, 0x%04X, %d}" % (first, last, d & 0xFFFF, step) for first, last, d, step in runs]
lines = []
for i in range(0, len(entries), 4):
    lines.append("    " + ", ".join(entries[i:i + 4]) + ",")

out = '''// Written by make_upper_case_table.py from Unicode 14.0.0; run it again instead of editing.
#include "UpperCase.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Every `step`-th character from `first` to `last` has its upper-case letter `delta` (modulo 2^16) above it.
struct UpperRange {
    std::uint16_t first, last, delta, step;
};

constexpr UpperRange kRanges[] = {
%s
};

}  // namespace

wchar_t UpperCase(wchar_t c) {
    // Beyond the Basic Multilingual Plane no range is found: the file system compares UTF-16 units.
    const auto code = static_cast<std::uint32_t>(c);
    const auto* range = std::lower_bound(std::begin(kRanges), std::end(kRanges), code,
                                         [](const UpperRange& r, std::uint32_t x) { return r.last < x; });
    if (range == std::end(kRanges) || code < range->first || (code - range->first) %% range->step != 0) return c;
    return static_cast<wchar_t>((code + range->delta) & 0xFFFF);
}
''' % "\n".join(lines)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "UpperCaseTable.cpp"), "w") as f:
    f.write(out)
print("%d characters in %d ranges" % (len(mapped), len(runs)))
