#!/usr/bin/env python3
"""Prints the benchmark table from what bench/run.sh collected in RESULTS.

usage: table.py RESULTS [--quick]

RESULTS holds groups.tsv (one line per benchmark: name, title, baseline command, the ratio to the
baseline that drosk must stay within, and "faster" when drosk must also be FASTER times faster
than the benchmark's last command and stay within 4 MB), hyperfine's JSON exports NAME.ROUND.json (the
runs of all rounds are taken together), rss.tsv (command name, peak resident KB; the largest of
its runs counts) and replace_all.json (Google Benchmark's JSON output).

With --quick (small inputs, few runs) the targets are not judged.
"""
import glob
import json
import os
import statistics
import sys

ROW = "  %-32s %10s %26s %7s %9s  %s"
FASTER = 4  # times faster than the last command of a "faster" benchmark (sed)
PEAK_KB = 4096  # largest peak resident memory of drosk in a "faster" benchmark
MILLION_MS = 50  # longest time for a line of a million occurrences


def quantile(values, q):
    values = sorted(values)
    at = (len(values) - 1) * q
    low = int(at)
    high = min(low + 1, len(values) - 1)
    return values[low] + (values[high] - values[low]) * (at - low)


def show_time(seconds):
    if seconds >= 1:
        return "%.2f s" % seconds
    return "%.1f ms" % (seconds * 1000) if seconds >= 0.01 else "%.2f ms" % (seconds * 1000)


def verdict(met):
    return "met" if met else "NOT met"


def read_rss(results):
    rss = {}
    path = os.path.join(results, "rss.tsv")
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                name, kb = line.rstrip("\n").split("\t")
                rss[name] = max(rss.get(name, 0), int(kb))
    return rss


def read_runs(results, name):
    """The commands of one benchmark in their order, with the times of all rounds."""
    commands = []
    for path in sorted(glob.glob(os.path.join(results, name + ".*.json"))):
        with open(path) as f:
            for run in json.load(f)["results"]:
                known = [c for c in commands if c["command"] == run["command"]]
                if known:
                    known[0]["times"] += run["times"]
                else:
                    commands.append({"command": run["command"], "times": list(run["times"])})
    return commands


def print_group(results, group, rss, judge):
    name, title, baseline, target, kind = group
    commands = read_runs(results, name)
    if not commands:
        return
    medians = {c["command"]: statistics.median(c["times"]) for c in commands}
    drosk = commands[0]["command"]
    print(title)
    for c in commands:
        command, times = c["command"], c["times"]
        median = medians[command]
        spread = "%s .. %s (%d)" % (show_time(quantile(times, 0.25)),
                                    show_time(quantile(times, 0.75)), len(times))
        ratio = median / medians[baseline]
        peak = "%.1f MB" % (rss[command] / 1024) if command in rss else ""
        note = ""
        if judge and command == drosk:
            note = "<= %sx %s: %s" % (target, baseline, verdict(ratio <= float(target)))
        elif judge and kind == "faster" and c is commands[-1]:
            faster = median / medians[drosk]
            note = "drosk >= %dx faster: %s (%.1fx)" % (FASTER, verdict(faster >= FASTER), faster)
        print(ROW % (command, show_time(median), spread, "%.2fx" % ratio, peak, note))
    if judge and kind == "faster" and drosk in rss:
        print(ROW % ("", "", "", "", "", "drosk peak RSS <= %d MB: %s" %
                     (PEAK_KB // 1024, verdict(rss[drosk] <= PEAK_KB))))


def print_google_benchmark(results, judge):
    path = os.path.join(results, "replace_all.json")
    if not os.path.exists(path):
        return
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    print("7 replace_all and the block loops alone (Google Benchmark: CPU time, text per second)")
    for run in runs:
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
            continue
        name = run["name"].replace("_median", "")
        unit = run.get("time_unit", "ns")
        line = "  %-58s %10.1f %s %6.2f GB/s" % (name, run["cpu_time"], unit,
                                                 run.get("bytes_per_second", 0) / 1e9)
        if judge and "million_occurrences" in name:
            ms = run["cpu_time"] if unit == "ms" else run["cpu_time"] / 1e6
            line += "  < %d ms: %s" % (MILLION_MS, verdict(ms < MILLION_MS))
        print(line)


def main():
    results = sys.argv[1]
    judge = "--quick" not in sys.argv[2:]
    rss = read_rss(results)
    print("%-34s %10s %26s %7s %9s  %s" % ("benchmark / command", "median", "p25 .. p75 (runs)",
                                           "ratio", "peak RSS", "target" if judge else ""))
    with open(os.path.join(results, "groups.tsv")) as f:
        for line in f:
            if line.strip():
                print_group(results, line.rstrip("\n").split("\t"), rss, judge)
    print_google_benchmark(results, judge)


if __name__ == "__main__":
    main()
