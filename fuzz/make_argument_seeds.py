#!/usr/bin/env python3
"""Writes seeds for the argument targets: automation_arguments (every kind of
value converted to every type, every member's arguments of several kinds, date
texts) and cli_arguments (JSON of every shape for every member's parameters).
The fuzzer's -merge=1 then keeps those that reach something new.
    fuzz/make_argument_seeds.py AUTOMATION_FOLDER CLI_FOLDER"""
import json
import os
import struct
import sys

MEMBERS = 47  # the connection's members, as the targets number them
PARAMETERS = 4  # a member has at most this many; the targets take the index modulo


def text(value: bytes) -> bytes:
    return bytes([len(value)]) + value


def channel() -> bytes:
    return (struct.pack("<i", 1) + text(b"TV") + text(b"S1") + struct.pack("<ff", 55.25, 6.5)
            + text(b"NAME1") + b"\x01")


def digital_channel() -> bytes:
    return (struct.pack("<i", 2) + text(b"DIGI") + text(b"D1") + struct.pack("<fff", 474, 8, 0)
            + text(b"256QAM") + text(b"6.875") + b"\x00")


# Values in the automation target's form: a kind byte, then the value.
VALUES = {
    "empty": b"\x00",
    "null": b"\x01",
    "i2": b"\x02" + struct.pack("<h", 474),
    "i2_negative": b"\x02" + struct.pack("<h", -1),
    "i4": b"\x03" + struct.pack("<i", 70000),
    "ui1": b"\x04\xff",
    "r4": b"\x05" + struct.pack("<f", 55.25),
    "r4_nan": b"\x05" + struct.pack("<f", float("nan")),
    "r8": b"\x06" + struct.pack("<d", 474.25),
    "r8_huge": b"\x06" + struct.pack("<d", 1e300),
    "text_number": b"\x07" + text(b"474.25"),
    "text_true": b"\x07" + text(b"True"),
    "text_date": b"\x07" + text(b"2009-08-25 13:45:30"),
    "text_plain": b"\x07" + text(b"dBuV"),
    "bool": b"\x08\x01",
    "date": b"\x09" + struct.pack("<d", 40050.573),
    "date_negative": b"\x09" + struct.pack("<d", -700000.25),
    "bytes": b"\x0a\x00\x04\x01\x02\x03\xff",
    "channels": b"\x0b\x01\x02" + channel() + channel(),
    "channels_digi": b"\x0c\x01\x01" + digital_channel(),
    "variants": b"\x0d\x00\x03" + b"\x02" + struct.pack("<h", 60) + b"\x06" + struct.pack(
        "<d", 1.5) + b"\x07" + text(b"x"),
    "head": b"\x0e\x01\x01" + struct.pack("<h", 20),
    "file_head": b"\x0f" + text(b"KLV1") + struct.pack("<dd", 40050, 0.57) + text(b"A"),
}

DATE_TEXTS = [b"2009-08-25", b"2009-08-25 13:45:30", b"13:45:30", b"8/25/2009", b"25.08.2009",
              b"2009-02-30", b"1899-12-30 00:00:00", b"9999-12-31 23:59:59", b"12:00 PM",
              b"2009-08-25T13:45:30", b" 2009-8-5 ", b"0:0:0"]

JSON_ARGUMENTS = [
    3, -1, 255, 70000, 474.25, "55.25", "12", 1e40, True, False, None, "", "TV",
    "2009-08-25T13:45:30", "13:45:30", [1, 2, 3, 255], [], [256], [60, 90, 1.5, "x", None],
    [{"ChannelName": "S1", "freq": 55.25, "Type": "TV", "Audio1": 6.5}],
    [{"ChannelName": "D1", "Type": "DIGI", "ChannelNumber": 1, "ChannelOK": True,
      "TiltOK": False, "freq": 474, "Audio1": 8, "Audio2": 0, "Memo": "256QAM",
      "Rate": "6.875"}],
    {"Fav1": 1, "Fav2": 2, "Fav3": 0, "Fav4": 0, "Fav5": 0, "Fav6": 0, "Span": 20, "Un": 1},
    {"FileName": "KLV1", "FileDate": "2009-08-25T00:00:00", "FileTime": "13:45:30",
     "FileBaseChannel": "A", "FileInfoTilt": True},
    {"Span": "wide"},
]


def write(folder: str, name: str, data: bytes) -> None:
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main() -> None:
    automation, cli = sys.argv[1], sys.argv[2]
    os.makedirs(automation, exist_ok=True)
    os.makedirs(cli, exist_ok=True)
    for name, value in VALUES.items():
        write(automation, f"convert_{name}.bin", b"\x00" + value)
    for member in range(MEMBERS):
        for kind in ("i2", "r8", "text_number", "bool", "date", "channels", "variants",
                     "head", "file_head", "bytes"):
            write(automation, f"call_{member}_{kind}.bin",
                  b"\x01" + bytes([member]) + VALUES[kind] * PARAMETERS)
    for i, date in enumerate(DATE_TEXTS):
        write(automation, f"date_text_{i}.bin", b"\x02" + date)
    for member in range(MEMBERS):
        for parameter in range(PARAMETERS):
            for i, argument in enumerate(JSON_ARGUMENTS):
                write(cli, f"member_{member}_{parameter}_{i}.json",
                      bytes([member, parameter]) + json.dumps(argument).encode())


main()
