#!/usr/bin/env python3
"""Writes the fuzz starting corpus: small Paradox tables with compact headers
(the reader needs no padding after the field names nor after the last
record), covering versions 3.0, 4.0 and 7, keyed and unkeyed, every field
type, and a memo file."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
MEMO_MARKER = b"PXMEMO::"


def flip_int(value, size):
    raw = (value + (1 << (8 * size - 1))) % (1 << (8 * size))
    return raw.to_bytes(size, "big")


def flip_double(value):
    raw = bytearray(struct.pack(">d", value))
    if value >= 0:
        raw[0] |= 0x80
    else:
        raw = bytearray(b ^ 0xFF for b in raw)
    return bytes(raw)


def bcd(text, decimals):
    negative = text.startswith("-")
    whole, _, frac = text.lstrip("-").partition(".")
    digits = (whole.rjust(32 - decimals, "0") + frac.ljust(decimals, "0"))[-32:]
    nibbles = [int(c) ^ (0xF if negative else 0) for c in digits]
    out = bytearray([(0x00 if negative else 0x80) | 0x40 | decimals])
    for i in range(0, 32, 2):
        out.append((nibbles[i] << 4) | nibbles[i + 1])
    return bytes(out)


def table(fields, rows, version_id=12, keyed=False, keys=0, code_page=1252, autoinc=0):
    """fields: (name, type code, size); rows: lists of encoded field bytes."""
    extended = version_id >= 5
    record_size = sum(17 if t == 0x17 else s for _, t, s in fields)
    n = len(fields)
    body = bytearray()
    body += b"".join(bytes([t, s]) for _, t, s in fields)
    body += b"\0" * (4 + 4 * n)
    body += b"start.db".ljust(261 if version_id >= 12 else 79, b"\0")
    body += b"".join(name.encode() + b"\0" for name, _, _ in fields)
    if extended:
        body += b"".join(struct.pack("<H", i + 1) for i in range(n)) + b"ascii\0"
    head = bytearray(0x78 if extended else 0x58)
    header_size = len(head) + len(body)
    struct.pack_into("<HHBBIHHHH", head, 0, record_size, header_size, 0 if keyed else 2, 1,
                     len(rows), 1, 1, 1 if rows else 0, 1 if rows else 0)
    struct.pack_into("<HH", head, 0x21, n, keys)
    struct.pack_into("<I", head, 0x25, 0xFF00FF00 if extended else 0)
    head[0x39] = version_id
    struct.pack_into("<I", head, 0x49, autoinc)
    if extended:
        struct.pack_into("<HH", head, 0x58, version_id, version_id)
        struct.pack_into("<H", head, 0x6A, code_page)
    data = bytes(head) + bytes(body)
    if rows:
        data += struct.pack("<HHh", 0, 0, (len(rows) - 1) * record_size)
        data += b"".join(b"".join(r) for r in rows)
    return data


def alpha(text, size, enc="cp1252"):
    return text.encode(enc)[:size].ljust(size, b"\0")


def blob_pointer(leader, size, offset, length):
    return leader[: size - 10].ljust(size - 10, b"\0") + struct.pack("<IIH", offset, length, 1)


def main():
    os.makedirs(HERE, exist_ok=True)
    seeds = {}
    # Version 3.0, keyed, alpha and short fields, DOS text.
    seeds["v3_keyed.db"] = table(
        [("Abv", 0x01, 2), ("State", 0x01, 12), ("Count", 0x03, 2)],
        [[alpha("AK", 2), alpha("Alaska", 12, "cp437"), flip_int(7, 2)],
         [alpha("ZZ", 2), alpha("Zürich", 12, "cp437"), b"\0\0"]],
        version_id=3, keyed=True, keys=1)
    # Version 4.0, unkeyed, numbers, money, dates, logical, time, code page 850.
    seeds["v4_numbers.db"] = table(
        [("N", 0x06, 8), ("M", 0x05, 8), ("D", 0x02, 4), ("L", 0x09, 1), ("T", 0x14, 4), ("Name", 0x01, 10)],
        [[flip_double(-2.5), flip_double(100.25), flip_int(736695, 4), b"\x81", flip_int(3601000, 4),
          alpha("Çé", 10, "cp850")],
         [b"\0" * 8, flip_double(0.0), b"\0" * 4, b"\x80", b"\0" * 4, b"\0" * 10]],
        version_id=9, code_page=850)
    # Version 7, keyed with auto-increment, timestamp, BCD, long, bytes.
    ts = (737456 * 86400000 + 3601000)
    seeds["v7_autoinc.db"] = table(
        [("Card_Number", 0x16, 4), ("When", 0x15, 8), ("Exact", 0x17, 2), ("L", 0x04, 4), ("Raw", 0x18, 3)],
        [[flip_int(1, 4), flip_double(float(ts)), bcd("1.23", 2), flip_int(-5, 4), b"\x01\x02\x03"],
         [flip_int(2, 4), b"\0" * 8, bcd("-45.60", 2), flip_int(2**31 - 1, 4), b"\0\0\0"]],
        version_id=12, keyed=True, keys=1, autoinc=2)
    # Version 5 with a memo (in the record and in a shared block of the
    # memo file), a blob in a block of its own, code page 1251.
    long_memo = ("Длинная заметка " * 6).encode("cp1251")
    blob = bytes(range(40))
    mb = bytearray(4096)
    mb[0:3] = b"\x00\x01\x00"
    sub = bytearray(12 + 64 * 5)
    sub[0:3] = b"\x03\x01\x00"
    units = (len(long_memo) + 15) // 16
    sub[12:17] = bytes([0x15, units]) + struct.pack("<H", 1) + bytes([len(long_memo) % 16])
    sub = sub.ljust(0x150, b"\0") + long_memo
    mb += sub.ljust(4096, b"\0")
    single = b"\x02\x01\x00" + struct.pack("<IH", len(blob), 1) + blob
    mb += single
    memo_table = table(
        [("Id", 0x16, 4), ("Note", 0x0C, 20), ("Pic", 0x0D, 10)],
        [[flip_int(1, 4), blob_pointer(b"short", 20, 0, 5), blob_pointer(b"", 10, 0x2000 | 0xFF, len(blob))],
         [flip_int(2, 4), blob_pointer(long_memo, 20, 0x1000, len(long_memo)), b"\0" * 10]],
        version_id=11, keyed=True, keys=1, code_page=1251, autoinc=2)
    seeds["v5_memo.bin"] = memo_table + MEMO_MARKER + bytes(mb)
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
