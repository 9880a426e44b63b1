"""Writes a settings file that holds only the window record (x, y, width, height, each a varint
of its 32-bit value); the game takes its defaults for the rest.
Usage: python3 windowrecord.py FILE X Y WIDTH HEIGHT"""
import sys

out = bytearray()
for a in sys.argv[2:]:
    v = int(a) & 0xffffffff
    while True:
        out.append((v & 127) | (128 if v > 127 else 0))
        v >>= 7
        if not v:
            break
with open(sys.argv[1], "wb") as f:
    f.write(out)
