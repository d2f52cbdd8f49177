#!/usr/bin/env python3
"""Writes a large point list: one record a line, six decimals.

usage: generate.py POINTS SIDE OUT   (a SIDE x SIDE grid, points at random)
"""
import random
import sys


def main():
    points, side, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    rng = random.Random(20261211)
    with open(path, "w", buffering=1 << 20) as out:
        out.write("Generated point list for benchmarks;\n"
                  "fields: index x y z nx ny nz\n%d\n" % points)
        batch = []
        for i in range(1, points + 1):
            x = rng.random() * side
            z = rng.random() * side
            y = rng.random() * 200.0 - 50.0
            batch.append("%d %.6f %.6f %.6f %.6f %.6f %.6f\n"
                         % (i, x, y, z, rng.random(), rng.random(), rng.random()))
            if len(batch) == 10000:
                out.write("".join(batch))
                batch.clear()
        out.write("".join(batch))


if __name__ == "__main__":
    main()
