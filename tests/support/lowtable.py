# Writes a settings file (python3 lowtable.py FILE) whose high-score rows are all at -100000, so
# that any game's row enters the table. The records as the game writes them: numbers 7 bits a
# byte, low first, the top bit set where more follow; a text is its length, then its bytes.
import sys


def var(n):
    v, out = n & 0xFFFFFFFF, bytearray()
    while True:
        b, v = v & 127, v >> 7
        out.append(b | 128 if v else b)
        if not v:
            return bytes(out)


def text(t):
    return var(len(t)) + t


b = b"".join(var(v) for v in (240, 302, 800, 419)) + bytes([0, 0, 0, 0, 101, 5])
b += text(b"Your Name") + var(1) + var(0) + var(-1)
b += b"".join(text(b"Nobody") + var(1) + var(-100000) for _ in range(10))
open(sys.argv[1], "wb").write(b)
