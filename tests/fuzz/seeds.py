#!/usr/bin/env python3
"""Writes the seed inputs of tests/fuzz/corpus/<harness>/seed-*: a few small
realistic cases per harness, laid out as each harness reads its input (see the
comment at the top of each harness). Inputs found by fuzzing are committed next
to them under other names and are not touched here."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
seeds = {}


def seed(harness, name, data):
    seeds.setdefault(harness, []).append((name, bytes(data)))


u8 = lambda v: struct.pack('<B', v)
u16 = lambda v: struct.pack('<H', v)
u32 = lambda v: struct.pack('<I', v & 0xFFFFFFFF)
u64 = lambda v: struct.pack('<Q', v & 0xFFFFFFFFFFFFFFFF)
i64 = lambda v: struct.pack('<q', v)
text = lambda s: u8(len(s.encode())) + s.encode()

# Firmware: an SMBIOS table with a BIOS structure, one memory device and the end.
def smbios(*structures):
    table = b''.join(structures)
    return bytes([0, 3, 4, 0]) + u32(len(table)) + table

def structure(kind, handle, fields, strings=()):
    body = bytes([kind, 4 + len(fields)]) + u16(handle) + fields
    return body + (b''.join(s.encode() + b'\0' for s in strings) + b'\0' if strings else b'\0\0')

def memory_device(size_mb, speed, configured, extended=0, extended_configured=0):
    fields = bytearray(0x5C - 4)
    fields[0x0C - 4:0x0E - 4] = u16(size_mb)
    fields[0x15 - 4:0x17 - 4] = u16(speed)
    fields[0x20 - 4:0x22 - 4] = u16(configured)
    fields[0x54 - 4:0x58 - 4] = u32(extended)
    fields[0x58 - 4:0x5C - 4] = u32(extended_configured)
    return structure(17, 0x1100, bytes(fields), ['DIMM 0', 'Acme'])

bios = structure(0, 0, bytes(0x14), ['Acme', '1.0'])
end = structure(127, 0xFEFF, b'')
ddr4 = smbios(bios, memory_device(16384, 3200, 3200), end)
ddr5 = smbios(bios, memory_device(0, 4800, 4800), memory_device(32768, 0xFFFF, 0xFFFF, 8400, 6000), end)
seed('firmware', 'ddr4', u8(0) + u32(0) + u64(16 * 1048576) + ddr4)
seed('firmware', 'ddr5-extended-speeds', u8(0) + u32(0) + u64(31 * 1048576 + 900000) + ddr5)
seed('firmware', 'short-reply', u8(1) + u32(40) + u64(524288) + ddr4)

# Drive replies: an NVMe descriptor, no seek penalty; then drives.
def descriptor(bus):
    reply = bytearray(40)
    reply[0:4] = u32(40)
    reply[4:8] = u32(40)
    reply[28:32] = u32(bus)
    return bytes(reply)

def seek_reply(penalty):
    return u32(12) + u32(12) + bytes([penalty, 0, 0, 0])

drive = lambda bus, penalty: u32(bus) + u8(penalty)
seed('drive_replies', 'nvme', u8(3) + u32(40) + u32(12) + descriptor(17) + seek_reply(0) + u32(0)
     + drive(17, 2) + drive(11, 0) + drive(7, 0))
seed('drive_replies', 'sata-hdd-and-usb', u8(3) + u32(40) + u32(12) + descriptor(11) + seek_reply(1) + u32(7)
     + drive(11, 1) + drive(7, 0))
seed('drive_replies', 'failed-queries', u8(0) + u32(4) + u32(8) + descriptor(14) + seek_reply(0) + u32(7) + drive(14, 0))

# Registry texts: a GUID, a number, a date, then the text.
def guid(d1, d2, d3, d4):
    return u32(d1) + u16(d2) + u16(d3) + bytes(d4)

high_performance = guid(0x8C5E7FDA, 0xE8BF, 0x4A96, [0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C])
balanced = guid(0x381B4222, 0xF694, 0x41F0, [0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E])
date = lambda m, d, y, style: u32(m) + u32(d) + u32(y) + u8(style)
for name, value in [('processor-name', '  Acme(R) Core(TM) i7-9700K CPU @ 3.60GHz   '),
                    ('directx-settings', 'VRROptimizeEnable=0;SwapEffectUpgradeEnable=1;'),
                    ('driver-date', '6-14-2024'),
                    ('driver-date-slashes', ' 06/14/2024 '),
                    ('overlay-guid', '{DED574B5-45A0-4F42-8737-46345C09C238}'),
                    ('mouse-speed', '1'),
                    ('decimal', '+00042')]:
    seed('registry_text', name, high_performance + u64(3200) + date(2, 29, 2024, 5) + value.encode())
seed('registry_text', 'not-a-day', balanced + u64(1 << 32) + date(2, 29, 2100, 2) + b'13-1-2024')

# Text: capacity, cut length, then the bytes.
for name, value, capacity, limit in [
        ('mixed-scripts', 'Acme\u00e9 \u20ac \U0001F600 GPU'.encode(), 255, 7),
        ('utf16-units', 'GPU \u00e9'.encode('utf-16-le') + b'\0\0x\0', 255, 3),
        ('sigma', '\u039f\u0394\u03a5\u03a3\u03a3\u0395\u03a5\u03a3 \u0130STANBUL'.encode(), 6, 4),
        ('white-space', '\u3000Acme\u00a0\u2028 Core\t\r\n i7  '.encode(), 8, 5),
        ('malformed', b'\xC3\x28\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82 ok', 5, 2)]:
    seed('text', name, u8(capacity) + u8(limit) + value)

# Report link: presence flags, then the fields.
long_text = lambda s: u16(len(s.encode())) + s.encode()
report = (u32(0x3FFF)[:3] + long_text('Acme(R) Core(TM) i7-9700K CPU @ 3.60GHz')
          + long_text('Acme GeForce RTX 4070 \u00e9\U0001F600') + u32(32) + u32(2560) + u32(1440) + u32(165)
          + text('nvme') + text('hp') + text('best') + u32(240) + u64(512) + u32(3200) + u32(3200)
          + text('20240614') + u32(22631) + bytes([1, 0, 1, 2, 0, 1, 0]))
seed('report_link', 'full-report', report)
seed('report_link', 'nothing-found', u32(1 << 14)[:3])
seed('report_link', 'odd-codes', u32(0x20E1)[:3] + long_text('x' * 130 + '\xff') + text('a b&c=d') + text('6-14-2024')
     + bytes([3, 255, 2, 1, 0, 7, 128]))

# Selection: adapters, then displays with their modes.
adapter = lambda name, memory, vendor, software: text(name) + u64(memory) + u32(vendor) + u8(software)
mode = lambda w, h, hz: u32(w) + u32(h) + u32(hz)
display = lambda current, modes: current + u8(len(modes)) + b''.join(modes)
seed('selection', 'desktop', u8(2) + adapter('NVIDIA GeForce RTX 4070', 12 << 30, 0x10DE, 0)
     + adapter('Microsoft Basic Render Driver', 0, 0x1414, 1)
     + display(mode(2560, 1440, 165), [mode(2560, 1440, 60), mode(2560, 1440, 165), mode(1920, 1080, 240)])
     + display(mode(1920, 1080, 60), [mode(1920, 1080, 60), mode(1920, 1080, 75)]))
seed('selection', 'laptop', u8(2) + adapter('Acme Iris(R) Xe Graphics', 128 << 20, 0x8086, 0)
     + adapter('Acme Radeon RX 6600M', 128 << 20, 0x1002, 0)
     + display(mode(1920, 1200, 1), [mode(1920, 1200, 144), mode(1920, 1200, 0)]))
# Past the cut-offs: a 17th adapter and a 33rd display that would win if they
# were looked at.
seed('selection', 'past-the-cut-offs', u8(17) + b''.join(adapter('Acme Soft', 1 << 30, 0x10DE, 1) for _ in range(16))
     + adapter('Acme Graphics 17', 16 << 30, 0x10DE, 0)
     + b''.join(display(mode(1024, 768, 60), []) for _ in range(32))
     + display(mode(3840, 2160, 240), [mode(3840, 2160, 360)]))

# Pacing: now, last post, a wait.
seed('pacing', 'part-of-the-spacing', i64(1_050_000_000) + i64(1_000_000_000) + i64(130_000_000))
seed('pacing', 'clock-went-back', i64(999_000_000) + i64(1_000_000_000) + i64(1))
seed('pacing', 'slow-probe', i64(1_500_000_000) + i64(1_000_000_000) + i64(180_000_000))

# Layout: DPI, flags, work area, outer size, a button rectangle.
rect = lambda l, t, r, b: u32(l) + u32(t) + u32(r) + u32(b)
for dpi, flags in [(96, 3), (120, 1), (144, 2), (192, 3)]:
    seed('layout', f'dpi-{dpi}', u32(dpi) + u8(flags) + rect(0, 0, 1920, 1040) + u32(536) + u32(473)
         + rect(238, 330, 362, 366))
seed('layout', 'second-monitor', u32(96) + u8(0) + rect(-1920, 0, 0, 1080) + u32(2000) + u32(473)
     + rect(-2147483648, -2147483648, 2147483647, 2147483647))

for harness, files in seeds.items():
    folder = os.path.join(here, 'corpus', harness)
    os.makedirs(folder, exist_ok=True)
    for name, data in files:
        with open(os.path.join(folder, 'seed-' + name), 'wb') as f:
            f.write(data)
