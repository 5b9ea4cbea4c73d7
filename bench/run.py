#!/usr/bin/env python3
"""Times whole tolv runs on generated federation files and prints the table.

usage: bench/run.py BUILD_DIR [N ...]     (default N: 1000 10000 30000)

For each N the generator writes the file once (kept under BUILD_DIR/bench/N). Every command of
bench/commands.txt then runs REPEAT times on a fresh copy of the file; the best wall time and the
peak resident memory of the process (wait4) are kept. The baseline is one read of the file and a
decode of every record (tolv-fedgen decode), a whole process like the commands, measured in the
same run; each command is reported as a multiple of it. CPU time (user + system) is the measure:
on a machine shared with other work the wall time follows the load; it is shown beside it.
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
    """Wall seconds, CPU seconds (user + system), peak RSS in MB, exit status and stderr of one process."""
    start = time.perf_counter()
    p = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(p.pid, 0)
    elapsed = time.perf_counter() - start
    err = p.stderr.read().decode("utf-8", "replace")
    p.stderr.close()
    p.returncode = os.waitstatus_to_exitcode(status)
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0, p.returncode, err


def best(argv, env, before=None):
    """Best wall and best CPU time of REPEAT runs, their peak memory, and the error of a failed run."""
    results = []
    for _ in range(REPEAT):
        if before:
            before()
        results.append(timed(argv, env))
    mb = max(r[2] for r in results)
    failed = [r for r in results if r[3] != 0]
    if failed:
        return None, None, mb, failed[0][4].strip()
    return min(r[0] for r in results), min(r[1] for r in results), mb, ""


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
        shutil.copy2(entry, os.path.join(d, "source.zep"))
        subprocess.run([tolv, "export", "lenex", entry, "--to", d, "--city", "Tokyo"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)

    restore()
    base = best([gen, "decode", entry], env)
    if base[0] is None:
        sys.exit("baseline failed: " + base[3])
    rows = {}
    for name, args in commands():
        argv = [tolv] + [a.replace("{entry}", entry).replace("{master}", os.path.join(d, "registration") + "/")
                         .replace("{out}", out).replace("{qbango}", qbango)
                         .replace("{source}", os.path.join(d, "source.zep"))
                         .replace("{lenex}", os.path.join(d, "federation.lef")) for a in args]
        rows[name] = best(argv, env, restore)
    restore()
    return base, rows


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
    report(results, sizes, big, mid)


def report(results, sizes, big, mid):

    print("Machine: " + machine() + "; load average at the end %.1f" % os.getloadavg()[0])
    print("CPU seconds (user + system) of the best of %d whole runs, (×) the multiple of the baseline's of the same N;"
          % REPEAT)
    print("wall seconds at N = %s; growth of the CPU time from N = %s to %s; peak resident memory at N = %s."
          % (f"{big:,}", f"{mid:,}" if mid else "-", f"{big:,}", f"{big:,}"))
    print()
    print("| command | " + " | ".join("N = %s" % f"{n:,}" for n in sizes) + " | wall at %s | growth | peak MB |" % f"{big:,}")
    print("|" + "---|" * (len(sizes) + 4))

    def exponent(a, b):
        if not mid or a is None or b is None or a <= 0:
            return None
        return math.log(b / a) / math.log(big / mid)

    def row(name, per_size, base_of):
        cells = []
        for n in sizes:
            wall, cpu, mb, err = per_size[n]
            cells.append("failed" if cpu is None else "%.3f (%.1f×)" % (cpu, cpu / base_of(n)))
        wall, cpu, mb, err = per_size[big]
        e = exponent(per_size[mid][1], cpu) if mid else None
        print("| %s | %s | %s | %s | %.1f |" % (name, " | ".join(cells), "" if wall is None else "%.3f" % wall,
                                               "N^%.2f" % e if e is not None else "", mb))
        return wall, cpu, mb, err, e

    base_cpu = lambda n: results[n][0][1]
    row("read and decode every record (baseline)", {n: results[n][0] for n in sizes}, base_cpu)
    misses = []
    for name, _ in commands():
        wall, cpu, mb, err, e = row(name, {n: results[n][1][name] for n in sizes}, base_cpu)
        if cpu is None:
            misses.append("%s failed at %d: %s" % (name, big, err))
            continue
        if cpu >= LIMIT_SECONDS:
            misses.append("%s: %.3f s CPU at %d (limit %.1f s)" % (name, cpu, big, LIMIT_SECONDS))
        if wall >= LIMIT_SECONDS:
            misses.append("%s: %.3f s wall at %d (limit %.1f s; CPU %.3f s)" % (name, wall, big, LIMIT_SECONDS, cpu))
        if cpu / base_cpu(big) > LIMIT_RATIO:
            misses.append("%s: %.1f× the baseline at %d (limit %.0f×)" % (name, cpu / base_cpu(big), big, LIMIT_RATIO))
        if e is not None and e > LIMIT_EXPONENT:
            misses.append("%s: grows as N^%.2f from %d to %d (limit N^%.1f)" % (name, e, mid, big, LIMIT_EXPONENT))
        if mb >= LIMIT_MB:
            misses.append("%s: %.1f MB peak at %d (limit %.0f MB)" % (name, mb, big, LIMIT_MB))
    print()
    if misses:
        print("Targets missed:")
        for m in misses:
            print("- " + m)
    else:
        print("Every target holds.")


if __name__ == "__main__":
    main()
