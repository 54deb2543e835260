#!/usr/bin/env python3
"""Prints the benchmark figures against their goals from one JSON run."""

import json
import sys


def main(path):
    benchmarks = json.load(open(path))["benchmarks"]
    runs = {b["name"]: b for b in benchmarks if b.get("run_type", "iteration") == "iteration"}
    # A benchmark run several times stands for its median.
    runs.update((b["run_name"], b) for b in benchmarks if b.get("aggregate_name") == "median")

    def seconds(name):
        b = runs[name]
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        return b["real_time"] * scale

    ok = True
    if any(name.startswith("BM_RequestPass/") for name in runs):
        print("request pass, typical URL per action (goal: under 5 us each)")
    for name, b in runs.items():
        if name.startswith("BM_RequestPass/"):
            us = seconds(name) * 1e6
            ok &= us < 5
            print(f"  {b.get('label', name):26} {us:7.2f} us")

    # A run of some benchmarks alone (bench/run --benchmark_filter=...)
    # shows the goals of those it ran.
    if "BM_FieldTextSize/1048576" in runs:
        small, mid, large = (seconds(f"BM_FieldTextSize/{n}") for n in (1024, 65536, 1048576))
        ratio = large / mid
        ok &= ratio < 20 and large < 0.020
        print("request pass by field text size (goal: 1 MiB / 64 KiB under 20, 1 MiB under 20 ms)")
        print(f"  1 KiB {small * 1e6:9.1f} us   64 KiB {mid * 1e6:9.1f} us   "
              f"1 MiB {large * 1e3:7.2f} ms   ratio {ratio:.1f}")

    if "BM_MaskSecrets/4194304" in runs:
        quarter, whole = (seconds(f"BM_MaskSecrets/{n}") for n in (262144, 4194304))
        ok &= whole / quarter < 24 and whole < 0.2
        print("dry-run password masking, a URL of password fields (goal: 4 MiB / 256 KiB under "
              "24, 4 MiB under 200 ms)")
        print(f"  256 KiB {quarter * 1e3:.2f} ms   4 MiB {whole * 1e3:.2f} ms   "
              f"ratio {whole / quarter:.1f}")

    names = {run.split("/")[0]: run for run in runs if "real_time" in run or "manual_time" in run}
    processes = ("BM_TorvaleSecureCRT", "BM_SpawnFloor", "BM_ShellTrue")
    if all(name in names for name in processes):
        torvale, floor, shell = (seconds(names[name]) for name in processes)
        # The pass starts /bin/sh, which starts the client: against the shell
        # alone that is one process more, which a program that only starts
        # the line pays as well (1.3 to 1.5 times the shell on a 2-core
        # machine). What torvale adds to that floor is its own part.
        ok &= torvale / floor <= 1.15
        print("whole torvale process vs spawn_floor, a program that only starts the same line, "
              "medians (goal: at most 1.15 times)")
        print(f"  torvale {torvale * 1e3:.2f} ms   floor {floor * 1e3:.2f} ms   "
              f"ratio {torvale / floor:.2f}; torvale's own part {(torvale - floor) * 1e3:.2f} ms")
        print(f"  /bin/sh -c /bin/true {shell * 1e3:.2f} ms: torvale {torvale / shell:.2f} times, "
              f"the floor {floor / shell:.2f} times")

    clicks = ("BM_ClickToClient", "BM_ShellToClient")
    if all(name in names for name in clicks):
        click, shell = (seconds(names[name]) for name in clicks)
        # torvale-desktop, its watcher, /bin/sh, the client: two processes
        # more than the shell's way.
        ok &= click / shell <= 2
        print("click to client: torvale-desktop started with an allowed link until its client "
              "starts, vs /bin/sh -c starting the same line, medians (goal: at most 2 times)")
        print(f"  torvale-desktop {click * 1e3:.2f} ms   sh {shell * 1e3:.2f} ms   "
              f"ratio {click / shell:.2f}")
    print("all goals met" if ok else "SOME GOALS MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
