#!/usr/bin/python3
"""Mutation campaign: damages the inputs of small projects and runs the engine on each.

Two base projects are prepared in WORK: the flow channel of examples/channel and a
small sediment channel written by `rivax-channel`. Each gets a `result` and a `bedres`
from a short run of its own, then restarts from them (letters URW or URS) with few
iterations. Every mutation damages one of `control`, `unstruc`, `result`, `bedres`
of one base project, runs the engine (a sanitizer build is meant) under `timeout` in
a scratch copy and sorts the run:

  crash       ended by a signal
  sanitizer   an AddressSanitizer / UndefinedBehaviorSanitizer / LeakSanitizer report
  hang        killed by `timeout` while `boogie` had stopped growing
  slow        killed by `timeout` while `boogie` still grew (a damaged iteration count)
  changed     an input other than `result` changed, or `result` changed by a run that
              did not end normally (status 0 or 1)
  accepted    status 0 or 1 after damage that the engine must refuse (a value that is
              not a finite number, a cut or emptied grid or bed file, a file that is
              not a regular file)

Runs in one of these classes are kept under WORK/findings/NNNNN with the mutated
file, a note of the mutation and the engine's output; the others are removed.

  tools/mutation_campaign.py --rivax build/test/rivax --channel build/test/rivax-channel \
      --work /tmp/campaign --count 1200 --jobs 3
"""

import argparse
import collections
import concurrent.futures
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time

INPUTS = ("control", "unstruc", "result", "bedres")
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer",
                   "UndefinedBehaviorSanitizer", "AddressSanitizer:DEADLYSIGNAL")
SPECIAL_VALUES = ("0", "-1", "1", "2", "99999", "-99999", "2147483647", "-2147483648",
                  "4294967296", "nan", "-nan", "inf", "-inf", "1e300", "-1e300", "1e-300",
                  "0.0", "-0", "x", "1e6", "-1e6", "3.5", "")
NOT_FINITE = ("nan", "-nan", "inf", "-inf")
NUMBER = re.compile(rb"-?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?")

SEDIMENT_CONTROL = (
    "F 16 0.02\nF 37 2\nF 10 M\nF 11 2.65 0.047\nS 1 0.0005 0.02\nN 0 1 1\nM 1 1 0.001\n"
    "F 33 2 3\n")
FLOW_SETTINGS = "K 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\nK 5 0 0 0 1 0 0\n"


def engine_env():
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = "detect_leaks=0:handle_abort=1:allocator_may_return_null=1:exitcode=99"
    env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1:exitcode=98"
    env["OMP_NUM_THREADS"] = "1"
    return env


def run_engine(rivax, cwd, timeout):
    """Exit status as the engine gives it (negative for its errors), or None when
    killed by `timeout`; the signal number for a crash; standard error."""
    with open(os.path.join(cwd, ".stdout"), "wb") as out, open(os.path.join(cwd, ".stderr"), "wb") as err:
        proc = subprocess.run(["timeout", "-k", "5", str(timeout), rivax], cwd=cwd, stdout=out,
                              stderr=err, env=engine_env(), stdin=subprocess.DEVNULL)
    with open(os.path.join(cwd, ".stderr"), "rb") as f:
        stderr = f.read().decode("utf-8", "replace")
    rc = proc.returncode
    if rc < 0:  # timeout raises the signal that ended the engine on itself
        return {"signal": -rc, "status": None, "stderr": stderr}
    if rc == 124:
        return {"timeout": True, "status": None, "stderr": stderr}
    return {"status": rc - 256 if rc > 127 else rc, "stderr": stderr}


def set_data_set(control, key, line):
    """`control` with the data set `key` (e.g. "F 2") replaced by `line`, or appended."""
    lines = control.splitlines()
    out = [l for l in lines if not (l.split()[:2] == key.split())]
    out.insert(1, line)
    return "\n".join(out) + "\n"


def md5_of(path):
    if os.path.islink(path) or not os.path.isfile(path):
        return "not-a-file:" + (os.readlink(path) if os.path.islink(path) else "dir")
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


def prepare_flow(args, base):
    shutil.copytree(os.path.join(args.root, "examples", "channel"), base)
    control = open(os.path.join(base, "control")).read()
    # The example's own cells (10 layers) are not those that reading the bed
    # state regenerates (9): Y regenerates them first, so that the restart fits.
    control = set_data_set(control, "F 2", "F 2 UYWM")
    control = set_data_set(control, "K 1", "K 1 20")
    return finish_base(args, base, control, "UYRW", "K 1 2")


def prepare_sediment(args, base):
    os.makedirs(base)
    subprocess.run([args.channel, base, "along=20", "across=4", "z=6", "length=20", "width=2", "depth=0.5",
                    "bed=10", "version=4", "discharge=0.1", "letters=UWM", "control=F 16 0.02",
                    "control=K 1 20", "control=F 329 1 1 0 0 0 1 1"] +
                   ["control=" + l for l in FLOW_SETTINGS.splitlines()],
                   check=True, stdout=subprocess.DEVNULL)
    control = open(os.path.join(base, "control")).read()
    return finish_base(args, base, control, "URS", "K 1 2", SEDIMENT_CONTROL)


def finish_base(args, base, control, letters, iterations, restart_control=""):
    """Runs the base once to write its `result` and bed state, then turns it into
    the restart project that every mutation starts from."""
    with open(os.path.join(base, "control"), "w") as f:
        f.write(control)
    r = run_engine(args.rivax, base, 600)
    if r.get("status") != 1 or not os.path.exists(os.path.join(base, "result")):
        sys.exit("base run in %s failed: %s" % (base, r))
    shutil.copy(os.path.join(base, "bedres.t"), os.path.join(base, "bedres"))
    for name in os.listdir(base):
        if name not in INPUTS + ("koordina",):
            p = os.path.join(base, name)
            shutil.rmtree(p) if os.path.isdir(p) else os.remove(p)
    control = set_data_set(control, "F 2", "F 2 " + letters)
    control = set_data_set(control, "K 1", iterations) + restart_control
    with open(os.path.join(base, "control"), "w") as f:
        f.write(control)
    r = run_engine(args.rivax, base, 600)
    if r.get("status") != 1:
        sys.exit("restart of the base in %s failed: %s" % (base, r))
    for name in os.listdir(base):
        if name not in INPUTS + ("koordina",):
            p = os.path.join(base, name)
            shutil.rmtree(p) if os.path.isdir(p) else os.remove(p)
    return base


def unstruc_structure_lines(lines):
    """Indexes of the lines that shape the grid: the header, the block records and
    everything after the points, cells and surfaces (groups, nodes, records)."""
    head = lines[0].split()
    try:
        n = [int(v) for v in head]
    except ValueError:
        return [0]
    if 0 < n[0] <= 10 and len(n) >= 8:
        points, cells, surfaces, blocks = n[7], n[1], n[2], n[3]
        if n[0] == 4:
            points = cells = surfaces = 0
    else:
        points, cells, surfaces, blocks = n[0], n[1], n[2], n[3]
    first = 1 + points + cells + surfaces
    return [0] + list(range(first, len(lines)))


class Mutator:
    def __init__(self, rng):
        self.rng = rng

    def pick_line(self, name, lines):
        if name == "unstruc" and self.rng.random() < 0.5:
            return self.rng.choice(unstruc_structure_lines(lines))
        return self.rng.randrange(len(lines))

    def mutate(self, name, data):
        """(new bytes or a marker, description, refusal expected)."""
        r = self.rng
        op = r.choices(["value", "value", "value", "scale", "negate", "drop_token", "drop_line",
                        "duplicate_line", "swap_lines", "truncate", "flip_byte", "garbage",
                        "empty", "endless", "directory", "random_bytes"],
                       weights=[10, 10, 10, 6, 5, 5, 6, 4, 3, 5, 5, 3, 1, 1, 1, 1])[0]
        if op == "empty":
            return b"", "emptied", name != "control"
        if op == "endless":
            return "ENDLESS", "a link to /dev/zero", True
        if op == "directory":
            return "DIRECTORY", "a directory", name != "result"
        if op == "random_bytes":
            return bytes(r.randrange(256) for _ in range(r.randrange(1, 4000))), "random bytes", name != "control"
        if op == "truncate":
            at = r.randrange(max(1, len(data)))
            return data[:at], "cut at byte %d of %d" % (at, len(data)), name in ("unstruc", "bedres")
        if op == "flip_byte":
            at = r.randrange(max(1, len(data)))
            b = r.randrange(256)
            return data[:at] + bytes([b]) + data[at + 1:], "byte %d set to %d" % (at, b), False
        if op == "garbage":
            at = r.randrange(max(1, len(data)))
            junk = bytes(r.choice(b"0123456789.-+eE nanif\n\tx#") for _ in range(r.randrange(1, 30)))
            return data[:at] + junk + data[at:], "inserted %r at byte %d" % (junk, at), False
        lines = data.split(b"\n")
        n = self.pick_line(name, lines)
        if op == "drop_line":
            return b"\n".join(lines[:n] + lines[n + 1:]), "line %d removed" % (n + 1), False
        if op == "duplicate_line":
            return b"\n".join(lines[:n + 1] + lines[n:]), "line %d doubled" % (n + 1), False
        if op == "swap_lines":
            m = self.pick_line(name, lines)
            lines[n], lines[m] = lines[m], lines[n]
            return b"\n".join(lines), "lines %d and %d swapped" % (n + 1, m + 1), False
        tokens = list(NUMBER.finditer(lines[n]))
        if not tokens:
            return b"\n".join(lines[:n] + lines[n + 1:]), "line %d removed (no number)" % (n + 1), False
        t = r.choice(tokens)
        old = t.group().decode()
        expect = False
        if op == "value":
            new = r.choice(SPECIAL_VALUES)
            expect = new in NOT_FINITE and name in ("unstruc", "bedres", "result")
        elif op == "scale":
            new = "%s%s" % (old, r.choice(["e3", "e6", "e12", "e300", "e-300"])) if "e" not in old else old + "0"
        elif op == "negate":
            new = old[1:] if old.startswith("-") else "-" + old
        else:
            new = ""
        lines[n] = lines[n][:t.start()] + new.encode() + lines[n][t.end():]
        desc = "line %d: %s -> %s" % (n + 1, old, new if new else "(removed)")
        return b"\n".join(lines), desc, expect


def one_run(args, number, project, base, name, mutated, desc, expect):
    scratch = os.path.join(args.work, "runs", "%05d" % number)
    shutil.copytree(base, scratch)
    target = os.path.join(scratch, name)
    os.remove(target)
    if mutated == "ENDLESS":
        os.symlink("/dev/zero", target)
    elif mutated == "DIRECTORY":
        os.mkdir(target)
    else:
        with open(target, "wb") as f:
            f.write(mutated)
    names = sorted(os.listdir(scratch))
    before = {n: md5_of(os.path.join(scratch, n)) for n in names}
    started = time.time()
    r = run_engine(args.rivax, scratch, args.timeout)
    elapsed = time.time() - started
    after = {n: md5_of(os.path.join(scratch, n)) if os.path.lexists(os.path.join(scratch, n)) else "gone"
             for n in names}
    status = r.get("status")
    normal = status in (0, 1)
    control_text = open(os.path.join(scratch, "control"), "rb").read() if os.path.isfile(
        os.path.join(scratch, "control")) else b""
    writes_grid = re.search(rb"^F 2 \S*H", control_text, re.M) is not None
    changed = [n for n in names if before[n] != after[n]
               and not (n == "result" and normal)
               and not (n == "unstruc" and writes_grid)]
    classes = []
    if "signal" in r:
        classes.append("crash")
    if any(m in r["stderr"] for m in SANITIZER_MARKS):
        classes.append("sanitizer")
    if r.get("timeout"):
        boogie = os.path.join(scratch, "boogie")
        quiet = time.time() - os.path.getmtime(boogie) if os.path.exists(boogie) else args.timeout
        classes.append("hang" if quiet > 5 else "slow")
    if changed:
        classes.append("changed")
    if expect and normal:
        classes.append("accepted")
    record = {"number": number, "project": project, "file": name, "mutation": desc, "status": status,
              "signal": r.get("signal"), "classes": classes, "changed": changed, "seconds": round(elapsed, 1)}
    if classes:
        keep = os.path.join(args.work, "findings", "%05d" % number)
        os.makedirs(keep)
        for n in (name, ".stderr", ".stdout", "boogie"):
            p = os.path.join(scratch, n)
            if os.path.isfile(p) and not os.path.islink(p):
                shutil.copy(p, os.path.join(keep, n.lstrip(".") + ("" if n != name else ".mutated")))
        with open(os.path.join(keep, "note.json"), "w") as f:
            json.dump(record, f, indent=1)
        boogie = os.path.join(keep, "boogie")
        if os.path.exists(boogie) and os.path.getsize(boogie) > 200000:
            os.truncate(boogie, 200000)
    shutil.rmtree(scratch, ignore_errors=True)
    return record


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--rivax", required=True)
    p.add_argument("--channel", required=True, help="the rivax-channel tool")
    p.add_argument("--work", required=True)
    p.add_argument("--count", type=int, default=1200)
    p.add_argument("--jobs", type=int, default=3)
    p.add_argument("--timeout", type=int, default=60)
    p.add_argument("--seed", type=int, default=64)
    p.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args = p.parse_args()
    args.rivax = os.path.abspath(args.rivax)
    args.channel = os.path.abspath(args.channel)
    args.work = os.path.abspath(args.work)
    if os.path.exists(args.work):
        sys.exit("%s exists; give a new directory" % args.work)
    os.makedirs(os.path.join(args.work, "findings"))
    os.makedirs(os.path.join(args.work, "runs"))
    bases = {"channel": prepare_flow(args, os.path.join(args.work, "base-channel")),
             "sediment": prepare_sediment(args, os.path.join(args.work, "base-sediment"))}
    rng = random.Random(args.seed)
    mutator = Mutator(rng)
    jobs = []
    for number in range(args.count):
        project = "channel" if number % 2 == 0 else "sediment"
        name = INPUTS[(number // 2) % len(INPUTS)]
        data = open(os.path.join(bases[project], name), "rb").read()
        mutated, desc, expect = mutator.mutate(name, data)
        jobs.append((number, project, bases[project], name, mutated, desc, expect))
    records = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for rec in pool.map(lambda j: one_run(args, *j), jobs):
            records.append(rec)
            if rec["classes"]:
                print("%05d %-8s %-8s %-40.40s status %s %s" % (rec["number"], rec["project"], rec["file"],
                                                               rec["mutation"], rec["status"],
                                                               ",".join(rec["classes"])), flush=True)
    with open(os.path.join(args.work, "records.json"), "w") as f:
        json.dump(records, f, indent=0)
    counts = collections.Counter(c for rec in records for c in rec["classes"])
    statuses = collections.Counter(rec["status"] for rec in records)
    print("mutations: %d" % len(records))
    for c in ("crash", "sanitizer", "hang", "slow", "changed", "accepted"):
        print("%-10s %d" % (c, counts[c]))
    print("statuses: " + ", ".join("%s: %d" % (s, n) for s, n in sorted(statuses.items(), key=lambda x: str(x[0]))))
    per_file = collections.Counter((rec["project"], rec["file"]) for rec in records)
    print("per file: " + ", ".join("%s/%s %d" % (k[0], k[1], n) for k, n in sorted(per_file.items())))
    return 1 if any(counts[c] for c in ("crash", "sanitizer", "hang", "changed")) else 0


if __name__ == "__main__":
    sys.exit(main())
