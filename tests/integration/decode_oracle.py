#!/usr/bin/env python3
"""An independent decoder for launch-URL field texts: "+" to a space, then
percent escapes with urllib, then strict UTF-8; any "%" without two hex
digits fails the whole text. Reads one hex-encoded input a line on standard
input; writes "-" for a failure or the hex of the decoded bytes."""

import re
import sys
import urllib.parse

MALFORMED = re.compile(rb"%(?![0-9A-Fa-f]{2})")


def decode(raw: bytes):
    text = raw.replace(b"+", b" ")
    if MALFORMED.search(text):
        return None
    decoded = urllib.parse.unquote_to_bytes(text)
    try:
        decoded.decode("utf-8", errors="strict")
    except UnicodeDecodeError:
        return None
    return decoded


for line in sys.stdin:
    result = decode(bytes.fromhex(line.strip()))
    sys.stdout.write("-\n" if result is None else result.hex() + "\n")
