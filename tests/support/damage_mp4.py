#!/usr/bin/env python3
"""Writes a copy of an MP4 recording with one kind of structural damage, as fuzzing found them in
cards and references: the damaged-input tests make their corpus with it.

    damage_mp4.py SOURCE OUTPUT KIND [TRACK]

TRACK is "video" (default) or "sound": the track whose tables are damaged. KIND is one of:

    truncated-minf      the track's minf box ends halfway through its sample table
    huge-sample         the track's first sample is 1,000,000 bytes long by its stsz
    aac-config-overlong the AAC configuration (esds) announces a program configuration element
                        that it does not hold
    stsd-count-0        the sample description says it holds no entry
    stsd-count-4097     ... 4097 entries (it holds one)
    stsd-count-negative ... -16 entries, read as a signed number
    stsd-entry-size-0   the sample description's entry has a size of 0
    avcc-overlong       the avcC's sequence parameter set is longer than the box holds
    esds-overlong       the esds' elementary stream descriptor is longer than the box holds
    dref-url-size-1     the data reference's url box has a size of 1 (a 64-bit size follows)
    stsc-past-stco      the sample-to-chunk table names a chunk past the chunk offset table
    stsc-runaway        the sample-to-chunk table's first chunks go 1, 0xFFFFFFFF, 1
    index-tail-garbled  the last quarter of the track's sample table is overwritten with noise

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


def table(data, mdia, kind):
    return child(data, child(data, child(data, mdia, b"minf"), b"stbl"), kind)


def stsd_count(value):
    def damage(data, mdia):
        put32(data, table(data, mdia, b"stsd")[1] + 12, value)  # after version and flags
    return damage


def stsd_entry_size_0(data, mdia):
    put32(data, table(data, mdia, b"stsd")[1] + 16, 0)


def config_box(data, mdia, kind):
    stsd = table(data, mdia, b"stsd")
    start = data.find(kind, stsd[1], stsd[1] + stsd[2])
    if start < 0:
        raise SystemExit(f"no {kind.decode()} in the sample description")
    return start - 4  # the box's size field


def avcc_overlong(data, mdia):
    at = config_box(data, mdia, b"avcC")
    data[at + 14:at + 16] = bytes([0xFF, 0xF0])  # the first sequence parameter set's length


def esds_overlong(data, mdia):
    at = config_box(data, mdia, b"esds") + 12  # the ES descriptor's tag
    if data[at] != 0x03:
        raise SystemExit("esds without an ES descriptor first")
    at += 1
    while data[at] & 0x80:
        at += 1
    data[at] = 0x7F  # its length's last seven bits


def dref_url_size_1(data, mdia):
    dinf = child(data, child(data, mdia, b"minf"), b"dinf")
    dref = child(data, dinf, b"dref")
    put32(data, dref[1] + 16, 1)  # the first entry, after the dref's version, flags and count


def stsc_past_stco(data, mdia):
    stsc = table(data, mdia, b"stsc")
    chunks = struct.unpack(">I", data[table(data, mdia, b"stco")[1] + 12:][:4])[0]
    runs = struct.unpack(">I", data[stsc[1] + 12:stsc[1] + 16])[0]
    put32(data, stsc[1] + 16 + (runs - 1) * 12, chunks + 5)


def stsc_runaway(data, mdia):
    stsc = table(data, mdia, b"stsc")
    runs = struct.unpack(">I", data[stsc[1] + 12:stsc[1] + 16])[0]
    if runs < 3:
        raise SystemExit("stsc of fewer than three entries")
    for i, first in enumerate((1, 0xFFFFFFFF, 1)):
        put32(data, stsc[1] + 16 + i * 12, first)


def index_tail_garbled(data, mdia):
    stbl = child(data, child(data, mdia, b"minf"), b"stbl")
    noise = 0x2545F491
    for at in range(stbl[1] + stbl[2] * 3 // 4, stbl[1] + stbl[2]):
        noise = (noise * 1103515245 + 12345) & 0xFFFFFFFF
        data[at] = noise >> 16 & 0xFF


KINDS = {
    "truncated-minf": truncated_minf,
    "huge-sample": huge_sample,
    "aac-config-overlong": aac_config_overlong,
    "stsd-count-0": stsd_count(0),
    "stsd-count-4097": stsd_count(4097),
    "stsd-count-negative": stsd_count(0xFFFFFFF0),
    "stsd-entry-size-0": stsd_entry_size_0,
    "avcc-overlong": avcc_overlong,
    "esds-overlong": esds_overlong,
    "dref-url-size-1": dref_url_size_1,
    "stsc-past-stco": stsc_past_stco,
    "stsc-runaway": stsc_runaway,
    "index-tail-garbled": index_tail_garbled,
}


def main(argv):
    if len(argv) not in (4, 5) or argv[3] not in KINDS:
        print(__doc__, file=sys.stderr)
        return 2
    which = argv[4] if len(argv) == 5 else (
        "sound" if argv[3].startswith(("aac", "esds")) else "video")
    data = bytearray(open(argv[1], "rb").read())
    KINDS[argv[3]](data, track(data, which))
    with open(argv[2], "wb") as out:
        out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
