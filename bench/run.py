#!/usr/bin/env python3
"""Times whole tolv runs on generated federation files and prints the table.

usage: bench/run.py BUILD_DIR [N ...]     (default N: 1000 10000 30000 100000)

For each N the generator writes the file once (kept under BUILD_DIR/bench/N), and beside it the
inputs of every import and merge: the SCM, SWM and Lenex files this system exports from it, the
others from tolv-fedgen inputs (bench/ImportInputs.h). Every command of bench/commands.txt then
runs once to warm up and REPEAT times on fresh copies of the files, each run followed by one pass
of the baseline: one read of the file and a decode of every record (tolv-fedgen decode), a whole
process like the commands. The medians are kept (CPU, wall, the baseline's CPU) and the peak
resident memory of the process (wait4); each command is reported as a multiple of the median of
its own baseline passes, so a change of load during the run touches both alike. CPU time (user +
system) is the measure: on a machine shared with other work the wall time follows the load; it is
shown beside it. Each row ends with whether it meets its targets and, where it does not, why
(bench/reasons.txt).
"""
import math
import os
import re
import platform
import shutil
import subprocess
import sys
import time

REPEAT = int(os.environ.get("BENCH_REPEAT", "5"))
HERE = os.path.dirname(os.path.abspath(__file__))
# At 30,000 swimmers (TARGET_N): CPU and wall seconds, multiple of the baseline, growth from the
# size before it, peak memory. At 100,000 (LARGE_N): seconds, and memory as a multiple of the bytes
# of the files the command reads.
TARGET_N, LARGE_N = 30000, 100000
LIMIT_SECONDS, LIMIT_RATIO, LIMIT_EXPONENT, LIMIT_MB = 0.3, 8.0, 1.1, 64.0
LARGE_SECONDS, LARGE_INPUT_RATIO = 1.0, 3.0


def commands():
    """(name, arguments, arguments of the untimed command run before each run or None)."""
    out = []
    with open(os.path.join(HERE, "commands.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            parts = line.split("\t")
            out.append((parts[0], parts[1].split(), parts[2].split() if len(parts) > 2 else None))
    return out


def reasons():
    """Why a row misses its targets, as the last measurement found it: name -> text."""
    out = {}
    with open(os.path.join(HERE, "reasons.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                name, why = line.split("\t", 1)
                out[name] = why
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


def median(values):
    v = sorted(values)
    return v[len(v) // 2] if len(v) % 2 else (v[len(v) // 2 - 1] + v[len(v) // 2]) / 2


def best(argv, env, before=None, baseline=None):
    """Median wall and CPU time of REPEAT runs after one to warm up, the peak memory, the error of a
    failed run, and the median CPU time of the baseline passes run after each (None without one)."""
    results, passes = [], []
    for i in range(REPEAT + 1):
        if before:
            before()
        r = timed(argv, env)
        if r[3] != 0:
            return None, None, r[2], r[4].strip(), None
        if i == 0:
            continue  # the warm-up
        results.append(r)
        if baseline:
            passes.append(timed(baseline, env)[1])
    return (median([r[0] for r in results]), median([r[1] for r in results]), max(r[2] for r in results), "",
            median(passes) if passes else None)


def merge_media(folder, name):
    """The SCM media export writes 450 swimmers a medium (MEDIA2, MEDIA3, ... beside the first):
    one file of them all, as a federation's transfer folder would hold it after collecting them."""
    media = sorted((m for m in os.listdir(folder) if re.fullmatch(r"MEDIA\d+", m)), key=lambda m: int(m[5:]))
    with open(os.path.join(folder, name), "ab") as out:
        for m in media:
            with open(os.path.join(folder, m, name), "rb") as f:
                f.readline()  # each medium's file has its own title line
                shutil.copyfileobj(f, out)
            shutil.rmtree(os.path.join(folder, m))


def prepare(build, n):
    gen = os.path.join(build, "bin", "tolv-fedgen")
    tolv = os.path.join(build, "bin", "tolv")
    d = os.path.join(build, "bench", str(n))
    entry = os.path.join(d, "entry", "federation.zep")
    pristine = os.path.join(d, "pristine")
    inputs = os.path.join(d, "inputs")
    env = dict(os.environ, TOLVSYS_HOME=os.path.join(d, "home"), TOLVSYS_NOW="2024-05-01 10:00:00", LC_ALL="C.UTF-8")
    if not os.path.exists(os.path.join(pristine, "ready")):
        shutil.rmtree(d, ignore_errors=True)
        subprocess.run([gen, "write", d, str(n)], check=True, stdout=subprocess.DEVNULL)
        master = os.path.join(d, "registration") + "/"
        subprocess.run([tolv, "tally", entry, "--master", master], env=env, check=True, stdout=subprocess.DEVNULL)
        os.makedirs(pristine, exist_ok=True)
        for name in ("federation.zep", "federation.zed"):
            shutil.copy2(os.path.join(d, "entry", name), os.path.join(pristine, name))
        quiet = dict(env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([tolv, "export", "lenex", entry, "--to", d, "--city", "Tokyo"], **quiet)
        subprocess.run([gen, "inputs", entry, inputs, os.path.join(d, "home", "ctl", "yomi.dat")], check=True)
        for kind in ("scm", "swm"):
            os.makedirs(os.path.join(inputs, kind))
            subprocess.run([tolv, "export", kind + "-media", entry, "--to", os.path.join(inputs, kind), "--master", master],
                           **quiet)
        merge_media(os.path.join(inputs, "scm"), "ScmSwimmerdt.csv")
        # The SCM import reads its relays as ScmRelay.csv; the export names them RELAYENT.csv.
        os.rename(os.path.join(inputs, "scm", "RELAYENT.csv"), os.path.join(inputs, "scm", "ScmRelay.csv"))
        shutil.copy2(os.path.join(inputs, "target", "empty.zep"), os.path.join(pristine, "empty.zep"))
        open(os.path.join(pristine, "ready"), "w").close()
    return d, entry, pristine, env


def size_of(path):
    """Bytes of a file, or of every file under a folder."""
    if os.path.isfile(path):
        return os.path.getsize(path)
    total = 0
    for root, _, files in os.walk(path):
        total += sum(os.path.getsize(os.path.join(root, f)) for f in files)
    return total


def run_size(build, n):
    d, entry, pristine, env = prepare(build, n)
    tolv = os.path.join(build, "bin", "tolv")
    gen = os.path.join(build, "bin", "tolv-fedgen")
    out = os.path.join(d, "out")
    inputs = os.path.join(d, "inputs")
    target = os.path.join(inputs, "target", "empty.zep")
    with open(os.path.join(d, "qbango.txt")) as f:
        qbango = f.read().strip()
    os.makedirs(out, exist_ok=True)

    def restore():
        for name in ("federation.zep", "federation.zed"):
            shutil.copy2(os.path.join(pristine, name), os.path.join(d, "entry", name))
        shutil.copy2(os.path.join(pristine, "empty.zep"), target)
        for folder in (os.path.join(d, "home", "backup"), os.path.join(inputs, "target", "backup")):
            shutil.rmtree(folder, ignore_errors=True)
        if os.path.exists(os.path.join(inputs, "results2", "results.zep")):
            os.remove(os.path.join(inputs, "results2", "results.zep"))
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)

    def clubs(kind):
        # The club files alone: a merge may leave other files beside its sources (lock files).
        folder = os.path.join(inputs, "clubs-" + kind)
        return [os.path.join(folder, f) for f in sorted(os.listdir(folder)) if re.fullmatch(r"club\d+\." + kind, f)]

    restore()
    decode = [gen, "decode", entry]
    base = best(decode, env)
    if base[0] is None:
        sys.exit("baseline failed: " + base[3])
    words = {"{entry}": [entry], "{target}": [target], "{master}": [os.path.join(d, "registration") + "/"],
             "{out}": [out], "{qbango}": [qbango], "{source}": [os.path.join(inputs, "source.zep")],
             "{lenex}": [os.path.join(d, "federation.lef")], "{clubs-csv}": clubs("csv"), "{clubs-zep}": clubs("zep")}

    def expand(args):
        """The arguments with the placeholders filled, and the bytes of the files they name."""
        argv, read = [tolv], 0
        for a in args:
            if a in words:
                argv += words[a]
                if a not in ("{master}", "{out}", "{qbango}"):
                    read += sum(size_of(p) for p in words[a])
            elif a.startswith("{inputs}"):
                argv.append(inputs + a[len("{inputs}"):])
                read += size_of(argv[-1])
            else:
                argv.append(a.replace("{out}", out))
        return argv, read

    rows = {}
    for name, args, setup in commands():
        restore()  # the sizes of what the command reads, as it finds them
        argv, read = expand(args)
        before = restore
        if setup:
            setup_argv = expand(setup)[0]

            def before():
                restore()
                subprocess.run(setup_argv, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        rows[name] = best(argv, env, before, decode) + (read,)
    restore()
    return base + (size_of(entry),), rows


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
    sizes = [int(a) for a in sys.argv[2:]] or [1000, 10000, TARGET_N, LARGE_N]
    results = {n: run_size(build, n) for n in sizes}
    report(results, sizes)


def report(results, sizes):
    # Targets are checked at TARGET_N and LARGE_N when they were run, else at the largest size.
    big = TARGET_N if TARGET_N in sizes else sizes[-1]
    large = LARGE_N if LARGE_N in sizes and LARGE_N != big else None
    mid = max((n for n in sizes if n < big), default=None)
    fmt = lambda n: f"{n:,}"
    why = reasons()
    print("Machine: " + machine() + "; load average at the end %.1f" % os.getloadavg()[0])
    print("CPU seconds (user + system), median of %d whole runs after one to warm up; (×) the multiple of the"
          " median of the baseline passes run after each;" % REPEAT)
    print("wall seconds and peak resident memory at N = %s%s; growth of the CPU time from N = %s to %s."
          % (fmt(big), " and %s (× the bytes of the files the command reads)" % fmt(large) if large else "",
             fmt(mid) if mid else "-", fmt(big)))
    print("Targets: at %s within %.1f s and %.0f× the baseline, growth up to N^%.1f, under %.0f MB;%s"
          % (fmt(big), LIMIT_SECONDS, LIMIT_RATIO, LIMIT_EXPONENT, LIMIT_MB,
             " at %s within %.0f s CPU and under %.0f× the bytes read." % (fmt(large), LARGE_SECONDS, LARGE_INPUT_RATIO)
             if large else ""))
    print()
    head = "| command | " + " | ".join("N = %s" % fmt(n) for n in sizes) + " | wall at %s |" % fmt(big)
    head += " wall at %s |" % fmt(large) if large else ""
    head += " growth | peak MB at %s |" % fmt(big)
    head += " peak MB at %s |" % fmt(large) if large else ""
    head += " targets |"
    print(head)
    print("|" + "---|" * (head.count("|") - 1))

    def exponent(a, b):
        if not mid or a is None or b is None or a <= 0:
            return None
        return math.log(b / a) / math.log(big / mid)

    base_cpu = lambda n: results[n][0][1]

    def times(per_size, n):
        """CPU seconds and the multiple of the baseline of the same run (its own passes when it has them)."""
        cpu, passes = per_size[n][1], per_size[n][4]
        return cpu, cpu / (passes if passes else base_cpu(n))

    def misses_of(name, per):
        m = []
        wall, cpu, mb = per[big][:3]
        if cpu is None:
            return ["failed at %s: %s" % (fmt(big), per[big][3])]
        ratio = times(per, big)[1]
        e = exponent(per[mid][1], cpu) if mid else None
        if cpu >= LIMIT_SECONDS:
            m.append("%.2f s CPU at %s" % (cpu, fmt(big)))
        if ratio > LIMIT_RATIO:
            m.append("%.1f× at %s" % (ratio, fmt(big)))
        if e is not None and e > LIMIT_EXPONENT:
            m.append("N^%.2f" % e)
        if mb >= LIMIT_MB:
            m.append("%.0f MB at %s" % (mb, fmt(big)))
        if large:
            wall, cpu, mb, err, _, read = per[large]
            if cpu is None:
                return m + ["failed at %s: %s" % (fmt(large), err)]
            if cpu >= LARGE_SECONDS:
                m.append("%.2f s CPU at %s" % (cpu, fmt(large)))
            if read and mb * 1048576 >= LARGE_INPUT_RATIO * read:
                m.append("%.1f× the bytes read at %s" % (mb * 1048576 / read, fmt(large)))
        return m

    def row(name, per_size, check=True):
        cells = []
        for n in sizes:
            cpu = per_size[n][1]
            cells.append("failed" if cpu is None else "%.3f (%.1f×)" % times(per_size, n))
        wall, cpu, mb = per_size[big][:3]
        e = exponent(per_size[mid][1], cpu) if mid else None
        line = "| %s | %s | %s |" % (name, " | ".join(cells), "" if wall is None else "%.3f" % wall)
        if large:
            lw = per_size[large][0]
            line += " %s |" % ("" if lw is None else "%.3f" % lw)
        line += " %s | %.1f |" % ("N^%.2f" % e if e is not None else "", mb)
        if large:
            lmb, read = per_size[large][2], per_size[large][5]
            line += " %.1f (%.1f×) |" % (lmb, lmb * 1048576 / read) if read else " %.1f |" % lmb
        m = misses_of(name, per_size) if check else []
        if not check:
            line += " |"
        elif not m:
            line += " met |"
        else:
            line += " missed: %s%s |" % (", ".join(m), " — " + why[name] if name in why else "")
        print(line)
        return m

    row("read and decode every record (baseline)", {n: results[n][0] for n in sizes}, False)
    misses = []
    for name, _, _ in commands():
        m = row(name, {n: results[n][1][name] for n in sizes})
        if m:
            misses.append("%s: %s%s" % (name, ", ".join(m), "" if name in why else " (no reason in bench/reasons.txt)"))
    print()
    if misses:
        print("Targets missed:")
        for m in misses:
            print("- " + m)
    else:
        print("Every target holds.")


if __name__ == "__main__":
    main()
