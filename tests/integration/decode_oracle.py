#!/usr/bin/env python3
"""An independent decoder of field texts ("+" to a space, urllib's percent
escapes, strict UTF-8; a "%" without two hex digits fails the whole text).
Prints a line per input: its hex, then "-" for a failure or the result's hex."""

import random, re, urllib.parse

PIECES = ("+ %2B %00 % %4 %G0 %+1 & = a 中 é 😀 %E4%B8%AD %E4%B8 %C3 %A9 %C0%AF %E0%80%AF "
          "%F0%80%80%80 %ED%A0%80 %ED%BF%BF %EF%BF%BF %F4%8F%BF%BF %F4%90%80%80 %F8%88%80%80%80 "
          "%FF").encode().split() + [b" ", b"\xE4\xB8", b"\xC3", b"\xFF", b"\xED\xA0\x80"]


def decode(raw):
    text = raw.replace(b"+", b" ")
    if re.search(rb"%(?![0-9A-Fa-f]{2})", text):
        return None
    decoded = urllib.parse.unquote_to_bytes(text)
    try:
        decoded.decode("utf-8", errors="strict")
    except UnicodeDecodeError:
        return None
    return decoded


def piece(rng):
    choice = rng.randrange(len(PIECES) + 2)
    if choice < len(PIECES):
        return PIECES[choice]
    if choice == len(PIECES):
        return (b"%%%02X" if rng.random() < 0.5 else b"%%%02x") % rng.randrange(256)
    return bytes([rng.randrange(1, 128)])  # raw ASCII


rng = random.Random(7)
inputs = [b"%%%02X" % b for b in range(256)] + [b"%%%02x" % b for b in range(256)]
inputs += [b"".join(piece(rng) for _ in range(rng.randrange(11))) for _ in range(100000)]
for raw in inputs:
    result = decode(raw)
    print(raw.hex(), "-" if result is None else result.hex())
