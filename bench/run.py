#!/usr/bin/env python3
"""Times hmapconv against a plain iostream version of the same job.

Both run side by side, in alternation, on one generated point list; the
script prints the median wall times, their ratio and each one's peak memory,
and checks that both wrote the same hmap.txt.

usage: bench/run.py [--points N] [--side S] [--runs R]
"""
import argparse
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


def build(work):
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", "hmapconv"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    baseline = work / "iostream_baseline"
    subprocess.run(["g++", "-std=c++20", "-O2", "-ffp-contract=off", "-o", str(baseline),
                    str(ROOT / "bench" / "iostream_baseline.cpp")], check=True)
    return ROOT / "build" / "release" / "converter" / "hmapconv", baseline


def run_once(program, folder):
    """Wall seconds and peak resident memory in MiB of one run."""
    start = time.perf_counter()
    child = subprocess.Popen([str(program)], cwd=folder, stdin=subprocess.PIPE,
                             stdout=subprocess.DEVNULL)
    child.stdin.write(b"1.5\n")
    child.stdin.close()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = status
    if status != 0:
        sys.exit("%s failed with status %d" % (program, status))
    return seconds, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--points", type=int, default=2000000)
    parser.add_argument("--side", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="hmapconv-bench-") as tmp:
        work = pathlib.Path(tmp)
        hmapconv, baseline = build(work)
        folders = {"hmapconv": work / "hmapconv", "iostream": work / "iostream"}
        for folder in folders.values():
            folder.mkdir()
        points = folders["hmapconv"] / "hmapASCII.txt"
        subprocess.run([sys.executable, str(ROOT / "bench" / "generate.py"), str(args.points),
                        str(args.side), str(points)], check=True)
        shutil.copy(points, folders["iostream"] / "hmapASCII.txt")
        size = points.stat().st_size / 1e6
        print("point list: %d points, %d x %d grid, %.0f MB" % (args.points, args.side,
                                                                args.side, size))

        programs = {"hmapconv": hmapconv, "iostream": baseline}
        times = {name: [] for name in programs}
        memory = {name: 0.0 for name in programs}
        for _ in range(args.runs):
            for name, program in programs.items():
                seconds, mib = run_once(program, folders[name])
                times[name].append(seconds)
                memory[name] = max(memory[name], mib)

        same = ((folders["hmapconv"] / "hmap.txt").read_bytes() ==
                (folders["iostream"] / "hmap.txt").read_bytes())
        for name in programs:
            print("%-9s median %.3f s  (runs: %s)  peak memory %.1f MiB" % (
                name, statistics.median(times[name]),
                " ".join("%.3f" % t for t in times[name]), memory[name]))
        ratio = statistics.median(times["iostream"]) / statistics.median(times["hmapconv"])
        print("ratio: hmapconv is %.2f times as fast as the iostream version" % ratio)
        print("same hmap.txt: %s" % ("yes" if same else "NO"))
        return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
