#!/usr/bin/env python3
"""Times whole tolv runs on generated federation files and prints the table.

usage: bench/run.py BUILD_DIR [N ...]     (default N: 1000 10000 30000)

For each N the generator writes the file once (kept under BUILD_DIR/bench/N). Every command of
bench/commands.txt then runs REPEAT times on a fresh copy of the file; the best wall time and the
peak resident memory of the process (wait4) are kept. The baseline is one read of the file and a
decode of every record (tolv-fedgen decode), a whole process like the commands, measured in the
same run; each command is reported as a multiple of it.
"""
import math
import os
import platform
import shutil
import subprocess
import sys
import time

REPEAT = int(os.environ.get("BENCH_REPEAT", "3"))
HERE = os.path.dirname(os.path.abspath(__file__))
LIMIT_SECONDS, LIMIT_RATIO, LIMIT_EXPONENT, LIMIT_MB = 0.5, 10.0, 1.1, 64.0


def commands():
    out = []
    with open(os.path.join(HERE, "commands.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            name, args = line.split("\t", 1)
            out.append((name, args.split()))
    return out


def timed(argv, env):
    """Wall seconds, peak RSS in MB and exit status of one process."""
    start = time.perf_counter()
    p = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(p.pid, 0)
    elapsed = time.perf_counter() - start
    err = p.stderr.read().decode("utf-8", "replace")
    p.stderr.close()
    p.returncode = os.waitstatus_to_exitcode(status)
    return elapsed, usage.ru_maxrss / 1024.0, p.returncode, err


def best(argv, env, before=None):
    results = []
    for _ in range(REPEAT):
        if before:
            before()
        results.append(timed(argv, env))
    failed = [r for r in results if r[2] != 0]
    if failed:
        return None, max(r[1] for r in results), failed[0][3].strip()
    return min(r[0] for r in results), max(r[1] for r in results), ""


def prepare(build, n):
    gen = os.path.join(build, "bin", "tolv-fedgen")
    tolv = os.path.join(build, "bin", "tolv")
    d = os.path.join(build, "bench", str(n))
    entry = os.path.join(d, "entry", "federation.zep")
    pristine = os.path.join(d, "pristine")
    env = dict(os.environ, TOLVSYS_HOME=os.path.join(d, "home"), TOLVSYS_NOW="2024-05-01 10:00:00", LC_ALL="C.UTF-8")
    if not os.path.exists(os.path.join(pristine, "federation.zep")):
        shutil.rmtree(d, ignore_errors=True)
        subprocess.run([gen, "write", d, str(n)], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([tolv, "tally", entry, "--master", os.path.join(d, "registration") + "/"], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        os.makedirs(pristine, exist_ok=True)
        for name in ("federation.zep", "federation.zed"):
            shutil.copy2(os.path.join(d, "entry", name), os.path.join(pristine, name))
    return d, entry, pristine, env


def run_size(build, n):
    d, entry, pristine, env = prepare(build, n)
    tolv = os.path.join(build, "bin", "tolv")
    gen = os.path.join(build, "bin", "tolv-fedgen")
    out = os.path.join(d, "out")
    with open(os.path.join(d, "qbango.txt")) as f:
        qbango = f.read().strip()
    os.makedirs(out, exist_ok=True)

    def restore():
        for name in ("federation.zep", "federation.zed"):
            shutil.copy2(os.path.join(pristine, name), os.path.join(d, "entry", name))
        shutil.rmtree(os.path.join(d, "home", "backup"), ignore_errors=True)

    restore()
    base, base_mb, err = best([gen, "decode", entry], env)
    if base is None:
        sys.exit("baseline failed: " + err)
    rows = {}
    for name, args in commands():
        argv = [tolv] + [a.replace("{entry}", entry).replace("{master}", os.path.join(d, "registration") + "/")
                         .replace("{out}", out).replace("{qbango}", qbango) for a in args]
        rows[name] = best(argv, env, restore)
    restore()
    return base, base_mb, rows


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = ""
    try:
        with open("/proc/meminfo") as f:
            kb = int(f.readline().split()[1])
            mem = ", %.0f GB RAM" % (kb / 1024 / 1024)
    except (OSError, ValueError, IndexError):
        pass
    return "%s, %d cores%s, %s %s" % (cpu, os.cpu_count() or 0, mem, platform.system(), platform.release())


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    sizes = [int(a) for a in sys.argv[2:]] or [1000, 10000, 30000]
    results = {n: run_size(build, n) for n in sizes}
    big = sizes[-1]
    mid = sizes[-2] if len(sizes) > 1 else None

    print("Machine: " + machine())
    print("Times: best of %d whole runs in seconds; (×) is the multiple of the baseline of the same N." % REPEAT)
    print()
    head = "| command | " + " | ".join("N = %s" % f"{n:,}" for n in sizes)
    head += " | growth %s→%s | peak MB at %s |" % (f"{mid:,}", f"{big:,}", f"{big:,}") if mid else " | peak MB |"
    print(head)
    print("|" + "---|" * (len(sizes) + 3))

    def exponent(a, b):
        if not mid or a is None or b is None or a <= 0:
            return None
        return math.log(b / a) / math.log(big / mid)

    line = "| read and decode every record (baseline) | "
    line += " | ".join("%.3f" % results[n][0] for n in sizes)
    e = exponent(results[mid][0], results[big][0]) if mid else None
    line += " | %s | %.1f |" % ("N^%.2f" % e if e is not None else "", results[big][1])
    print(line)
    misses = []
    for name, _ in commands():
        cells = []
        for n in sizes:
            t, mb, err = results[n][2][name]
            cells.append("failed" if t is None else "%.3f (%.1f×)" % (t, t / results[n][0]))
        t_big, mb_big, err_big = results[big][2][name]
        t_mid = results[mid][2][name][0] if mid else None
        e = exponent(t_mid, t_big)
        print("| %s | %s | %s | %.1f |" % (name, " | ".join(cells), "N^%.2f" % e if e is not None else "", mb_big))
        if t_big is None:
            misses.append("%s failed at %d: %s" % (name, big, err_big))
            continue
        if t_big >= LIMIT_SECONDS:
            misses.append("%s: %.3f s at %d (limit %.1f s)" % (name, t_big, big, LIMIT_SECONDS))
        if t_big / results[big][0] > LIMIT_RATIO:
            misses.append("%s: %.1f× the baseline at %d (limit %.0f×)" % (name, t_big / results[big][0], big, LIMIT_RATIO))
        if e is not None and e > LIMIT_EXPONENT:
            misses.append("%s: grows as N^%.2f from %d to %d (limit N^%.1f)" % (name, e, mid, big, LIMIT_EXPONENT))
        if mb_big >= LIMIT_MB:
            misses.append("%s: %.1f MB peak at %d (limit %.0f MB)" % (name, mb_big, big, LIMIT_MB))
    print()
    if misses:
        print("Targets missed:")
        for m in misses:
            print("- " + m)
    else:
        print("Every target holds.")


if __name__ == "__main__":
    main()
