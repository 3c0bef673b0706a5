#!/usr/bin/env python3
"""Writes ui/resources/Hand.cur: the 32 x 32 two-colour pointing hand of the
About window's link buttons, hot spot at the fingertip (x 6, y 0)."""
import struct
import sys

# '#' black, '.' white, ' ' transparent; row 0 is the top.
ART = [
    "     ##",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..###",
    "    #..#..###",
    "    #..#..#..##",
    " ## #..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    " #..#..........#",
    "  #............#",
    "  #............#",
    "   #...........#",
    "   #..........#",
    "    #.........#",
    "    #........#",
    "     #.......#",
    "     #.......#",
    "     #########",
]
SIZE = 32


def main(path):
    rows = [line.ljust(SIZE)[:SIZE] for line in ART] + [" " * SIZE] * (SIZE - len(ART))
    xor_rows = []
    and_rows = []
    for line in reversed(rows):  # bitmaps are stored bottom-up
        xor_bits = 0
        and_bits = 0
        for x, c in enumerate(line):
            bit = 1 << (SIZE - 1 - x)
            if c == ".":
                xor_bits |= bit
            elif c == " ":
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, 6, 0, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ui/resources/Hand.cur")
