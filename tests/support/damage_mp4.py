#!/usr/bin/env python3
"""Writes a copy of an MP4 recording with one kind of structural damage, as fuzzing found them in
cards and references: the damaged-input tests make their corpus with it.

    damage_mp4.py SOURCE OUTPUT KIND [TRACK]

TRACK is "video" (default) or "sound": the track whose tables are damaged. KIND is one of:

    truncated-minf      the track's minf box ends halfway through its sample table
    huge-sample         the track's first sample is 1,000,000 bytes long by its stsz
    aac-config-overlong the AAC configuration (esds) announces a program configuration element
                        that it does not hold

The file's length and every other byte stay as they were, so a reader meets the damage only
where it is."""

import struct
import sys

CONTAINERS = {b"moov", b"trak", b"mdia", b"minf", b"stbl", b"dinf", b"edts", b"udta"}


def boxes(data, start, end):
    """(type, offset, size, header length) of the boxes in [start, end), not descending."""
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[at + 8:at + 16])[0]
            header = 16
        elif size == 0:
            size = end - at
        if size < header or at + size > end:
            return
        yield kind, at, size, header
        at += size


def child(data, parent, kind):
    _, offset, size, header = parent
    for box in boxes(data, offset + header, offset + size):
        if box[0] == kind:
            return box
    raise SystemExit(f"no {kind.decode()} box")


def track(data, which):
    handler = b"vide" if which == "video" else b"soun"
    moov = next(box for box in boxes(data, 0, len(data)) if box[0] == b"moov")
    _, offset, size, header = moov
    for trak in boxes(data, offset + header, offset + size):
        if trak[0] != b"trak":
            continue
        mdia = child(data, trak, b"mdia")
        hdlr = child(data, mdia, b"hdlr")
        if data[hdlr[1] + 16:hdlr[1] + 20] == handler:
            return mdia
    raise SystemExit(f"no {which} track")


def put32(data, offset, value):
    data[offset:offset + 4] = struct.pack(">I", value)


def truncated_minf(data, mdia):
    minf = child(data, mdia, b"minf")
    stbl = child(data, minf, b"stbl")
    put32(data, minf[1], stbl[1] + stbl[2] // 2 - minf[1])


def huge_sample(data, mdia):
    stsz = child(data, child(data, child(data, mdia, b"minf"), b"stbl"), b"stsz")
    if struct.unpack(">I", data[stsz[1] + 12:stsz[1] + 16])[0] != 0:
        raise SystemExit("stsz holds one size for all samples")
    put32(data, stsz[1] + 20, 1_000_000)  # entries follow version, flags, size, count


def aac_config_overlong(data, mdia):
    stsd = child(data, child(data, child(data, mdia, b"minf"), b"stbl"), b"stsd")
    start = data.find(b"esds", stsd[1], stsd[1] + stsd[2])
    if start < 0:
        raise SystemExit("no esds in the sample description")
    # The decoder specific info (tag 5): object type 5 bits, frequency index 4, channels 4.
    info = data.find(b"\x05", start + 8, stsd[1] + stsd[2])
    at = info + 1
    while data[at] & 0x80:  # the descriptor's length, 7 bits a byte
        at += 1
    config = at + 1
    word = (data[config] << 8) | data[config + 1]
    word &= ~0x0078  # channel configuration 0: the channels are in a PCE, which should follow
    data[config:config + 2] = bytes([word >> 8, word & 0xFF])


KINDS = {
    "truncated-minf": truncated_minf,
    "huge-sample": huge_sample,
    "aac-config-overlong": aac_config_overlong,
}


def main(argv):
    if len(argv) not in (4, 5) or argv[3] not in KINDS:
        print(__doc__, file=sys.stderr)
        return 2
    which = argv[4] if len(argv) == 5 else ("sound" if argv[3].startswith("aac") else "video")
    data = bytearray(open(argv[1], "rb").read())
    KINDS[argv[3]](data, track(data, which))
    with open(argv[2], "wb") as out:
        out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
