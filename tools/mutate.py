#!/usr/bin/env python3
"""Plants realistic faults in the sources one at a time and checks that the
tests catch each: `make mutate`.

The faults are listed in tools/mutants.txt, one block each:

    [name]
    what:   one line saying what the fault does
    file:   a source path from the repository's root
    old:    text that occurs exactly once in the file
    new:    the text it is replaced by
            (a line starting with "|" continues the text above on a new
            line: all after the bar, leading spaces included)
    tests:  the ctest tests to run, as shell patterns matched against test
            names and against the test program's file name
    build:  more targets to build (optional; the test programs are built)
    missed: why no test catches it (optional; the fault still counts)

For each fault the file is changed, the targets are rebuilt incrementally,
the tests are run, and the file is put back whatever happens (also after an
interrupt; a run that was killed is repaired by the next). A fault is caught
when a chosen test fails. A table of caught and missed faults ends the run.

    mutate.py [--build-dir DIR] [--jobs N] [--list FILE] [NAME-PATTERN ...]
"""

import argparse
import fnmatch
import json
import os
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KEYS = ("what", "file", "old", "new", "tests", "build", "missed")


class ListError(Exception):
    pass


def parse_list(path):
    """The fault blocks of `path`, in order, as dicts (plus "name")."""
    faults, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = {"name": line[1:-1], "line": number}
                faults.append(current)
                continue
            if line.startswith("|") and current is not None and "last" in current:
                # The next line of a text: everything after the bar.
                current[current["last"]] += "\n" + line[1:]
                continue
            key, sep, value = line.partition(":")
            if current is None or not sep or key not in KEYS:
                raise ListError("%s:%d: not a fault line: %s" % (path, number, line))
            # One space after the colon; the rest is the exact text.
            current[key] = value[1:] if value.startswith(" ") else value
            current["last"] = key
    names = set()
    for fault in faults:
        for key in ("what", "file", "old", "new", "tests"):
            if key not in fault:
                raise ListError("%s:%d: [%s] has no %s" % (path, fault["line"], fault["name"],
                                                          key))
        if fault["name"] in names:
            raise ListError("%s: [%s] twice" % (path, fault["name"]))
        names.add(fault["name"])
    return faults


class Journal:
    """The file being changed, saved beside the build, so that a run that
    was killed mid-fault is repaired by the next."""

    def __init__(self, build_dir):
        self.dir = os.path.join(build_dir, "mutate")
        os.makedirs(self.dir, exist_ok=True)
        self.record = os.path.join(self.dir, "planted.json")

    def repair(self):
        if not os.path.exists(self.record):
            return None
        with open(self.record, encoding="utf-8") as f:
            saved = json.load(f)
        with open(saved["path"], "w", encoding="utf-8", newline="") as f:
            f.write(saved["text"])
        os.unlink(self.record)
        return saved["path"]

    def plant(self, path, original, mutated):
        temporary = self.record + ".tmp"
        with open(temporary, "w", encoding="utf-8") as f:
            json.dump({"path": path, "text": original}, f)
            f.flush()
            os.fsync(f.fileno())
        os.replace(temporary, self.record)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(mutated)

    def restore(self, path, original):
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(original)
        os.unlink(self.record)


def ctest_tests(build_dir):
    """[(number, name, command)] of every ctest test, numbered as -I counts."""
    out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build_dir, check=True,
                         capture_output=True, text=True).stdout
    tests = json.loads(out).get("tests", [])
    return [(i + 1, t["name"], t.get("command", [])) for i, t in enumerate(tests)]


def programs_of(command, build_dir):
    """File names of the programs built in `build_dir` that a command runs."""
    names = []
    # Programs live beside the build tree too (the program directory).
    build = os.path.dirname(os.path.realpath(build_dir)) + os.sep
    for part in command:
        value = part.split("=", 1)[1] if part.startswith("-D") and "=" in part else part
        if os.path.isabs(value) and os.path.realpath(value).startswith(build) \
                and os.path.isfile(value) and os.access(value, os.X_OK):
            names.append(os.path.basename(value))
    return names


def select(fault, tests, build_dir):
    """The chosen tests' numbers and the targets to build for them."""
    patterns = fault["tests"].split()
    numbers, targets = [], list(fault.get("build", "").split())
    for number, name, command in tests:
        programs = programs_of(command, build_dir)
        if any(fnmatch.fnmatchcase(name, p) or any(fnmatch.fnmatchcase(prog, p)
                                                    for prog in programs) for p in patterns):
            numbers.append(number)
            for prog in programs:
                if prog not in targets:
                    targets.append(prog)
    return numbers, targets


def build(build_dir, targets, jobs):
    result = subprocess.run(["cmake", "--build", build_dir, "-j", str(jobs), "--target"] + targets,
                            capture_output=True, text=True)
    return result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]


def run_tests(build_dir, numbers, jobs, timeout):
    selection = ",0,," + ",".join(str(n) for n in numbers)
    result = subprocess.run(["ctest", "-I", selection, "-j", str(jobs), "--timeout", str(timeout)],
                            cwd=build_dir, capture_output=True, text=True)
    failed = [line.split(" - ", 1)[1].split(" (", 1)[0] for line in result.stdout.splitlines()
              if line.strip().startswith(tuple("0123456789")) and " - " in line]
    return result.returncode != 0, failed


def interrupt(*_):
    raise KeyboardInterrupt()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "cmake"))
    parser.add_argument("--list", default=os.path.join(ROOT, "tools", "mutants.txt"))
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test")
    parser.add_argument("--log", help="also write the table to this file")
    parser.add_argument("--no-baseline", action="store_true",
                        help="skip the run of the chosen tests without a fault")
    parser.add_argument("names", nargs="*", help="only the faults whose name matches")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)

    # SIGTERM ends the run like ^C: the planted fault is taken out first.
    signal.signal(signal.SIGTERM, interrupt)
    journal = Journal(build_dir)
    repaired = journal.repair()
    if repaired:
        print("put back %s, left changed by an earlier run" % repaired)

    faults = parse_list(args.list)
    if args.names:
        faults = [f for f in faults if any(fnmatch.fnmatchcase(f["name"], p) for p in args.names)]
    tests = ctest_tests(build_dir)

    # Every fault must apply and choose tests, or the list is out of date.
    problems = []
    for fault in faults:
        path = os.path.join(ROOT, fault["file"])
        text = open(path, encoding="utf-8").read() if os.path.exists(path) else None
        count = text.count(fault["old"]) if text is not None else 0
        if count != 1:
            problems.append("[%s] %s: the old text occurs %d times" % (fault["name"],
                                                                      fault["file"], count))
        if not select(fault, tests, build_dir)[0]:
            problems.append("[%s] no ctest test matches %r" % (fault["name"], fault["tests"]))
    if problems:
        print("\n".join(problems))
        return 2

    # Without a fault every chosen test must pass, or a failure says nothing.
    if not args.no_baseline:
        numbers, targets = set(), []
        for fault in faults:
            n, t = select(fault, tests, build_dir)
            numbers.update(n)
            targets += [x for x in t if x not in targets]
        built, log = build(build_dir, targets, args.jobs)
        failing = run_tests(build_dir, sorted(numbers), args.jobs, args.timeout)[1] if built else []
        if not built or failing:
            print("the tests fail without any fault: %s" % (", ".join(failing) or log))
            return 2

    rows, touched = [], set()
    started = time.monotonic()
    try:
        for index, fault in enumerate(faults, 1):
            path = os.path.join(ROOT, fault["file"])
            numbers, targets = select(fault, tests, build_dir)
            touched.update(targets)
            original = open(path, encoding="utf-8", newline="").read()
            mutated = original.replace(fault["old"], fault["new"], 1)
            print("[%d/%d] %s: %d tests" % (index, len(faults), fault["name"], len(numbers)),
                  flush=True)
            begin = time.monotonic()
            journal.plant(path, original, mutated)
            try:
                built, log = build(build_dir, targets, args.jobs)
                if built:
                    caught, failed = run_tests(build_dir, numbers, args.jobs, args.timeout)
                    outcome = "caught" if caught else "MISSED"
                    detail = ", ".join(failed[:3]) + (" ..." if len(failed) > 3 else "")
                else:
                    outcome, detail = "no build", log.strip().splitlines()[-1:] or [""]
                    detail = detail[0]
            finally:
                journal.restore(path, original)
            rows.append((fault, outcome, time.monotonic() - begin, detail))
            print("    %s in %.0f s %s" % (outcome, rows[-1][2], detail), flush=True)
    except KeyboardInterrupt:
        print("interrupted: the source is as it was", flush=True)
    finally:
        # The programs built from the sources as they are.
        if touched:
            build(build_dir, sorted(touched), args.jobs)

    lines = report(rows, time.monotonic() - started)
    print("\n".join(lines))
    if args.log:
        with open(args.log, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
    return 0 if all(r[1] == "caught" or "missed" in r[0] for r in rows) else 1


def report(rows, seconds):
    width = max([len(r[0]["name"]) for r in rows] + [5])
    lines = ["", "%-*s  %-8s  %5s  %s" % (width, "fault", "result", "secs", "what"),
             "%s  %s  %s  %s" % ("-" * width, "-" * 8, "-" * 5, "-" * 40)]
    for fault, outcome, secs, _ in rows:
        note = fault["what"]
        if outcome != "caught" and "missed" in fault:
            note += "  [why: %s]" % fault["missed"]
        lines.append("%-*s  %-8s  %5.0f  %s" % (width, fault["name"], outcome, secs, note))
    judged = [r for r in rows if r[1] in ("caught", "MISSED")]
    caught = sum(1 for r in judged if r[1] == "caught")
    broken = len(rows) - len(judged)
    rate = 100.0 * caught / len(judged) if judged else 0.0
    lines.append("")
    lines.append("caught %d of %d faults (%.1f %%)%s in %.0f min" % (
        caught, len(judged), rate, ", %d did not build" % broken if broken else "",
        seconds / 60))
    return lines


if __name__ == "__main__":
    try:
        sys.exit(main())
    except ListError as error:
        print(error)
        sys.exit(2)
