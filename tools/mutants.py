#!/usr/bin/env python3
"""Mutation runs: applies one listed mutation at a time to the sources,
rebuilds the dev build incrementally, runs the tests named for it, and
reports which mutants the tests killed.

    tools/mutants.py [--build DIR] [--only ID,ID] [--list-only] LIST...

A list file holds blocks separated by blank lines:

    ## ID  what the mutation does
    file: path/from/the/repository/root.cpp
    find: one exact fragment of a line
    replace: its replacement (may be empty)
    nth: 2                      (optional: the 2nd occurrence, else it must be unique)
    tests: ^(SceneEdit|Save)\\.  (optional ctest -R regex, else the whole suite)
    targets: scene_tests quill  (optional: build only these, else everything)
    equivalent: why             (optional: listed, not counted)

A mutant is killed when the build breaks, a test fails or a test times out
(--test-timeout, 900 s by default: the fault sweeps take minutes on a busy
machine, and a timeout there would count a mutant killed that is not).
Every file is put back byte for byte after its run, also on Ctrl+C; the
build is brought back to the sources at the end.
"""

import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class ListError(Exception):
    pass


def parse(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for block in text.split("\n\n"):
        lines = [l for l in block.splitlines() if l.strip() and not l.startswith("# ")]
        if not lines:
            continue
        if not lines[0].startswith("## "):
            raise ListError(f"{path}: a block must start with '## ID  description': {lines[0]!r}")
        head = lines[0][3:].strip()
        ident, _, description = head.partition(" ")
        m = {"id": ident, "description": description.strip(), "list": path}
        for line in lines[1:]:
            key, sep, value = line.partition(":")
            if not sep or key not in ("file", "find", "replace", "nth", "tests", "targets", "equivalent"):
                raise ListError(f"{path}: {ident}: unknown line {line!r}")
            m[key] = value[1:] if value.startswith(" ") else value
        for key in ("file", "find", "replace"):
            if key not in m:
                raise ListError(f"{path}: {ident}: '{key}:' is missing")
        mutants.append(m)
    return mutants


def locate(m):
    """The mutated text of the file, or a ListError when the fragment is not found once."""
    path = os.path.join(ROOT, m["file"])
    with open(path, "rb") as f:
        original = f.read()
    find = m["find"].encode("utf-8")
    count = original.count(find)
    nth = int(m.get("nth", "0"))
    if count == 0:
        raise ListError(f"{m['id']}: '{m['find']}' is not in {m['file']}")
    if nth == 0 and count != 1:
        raise ListError(f"{m['id']}: '{m['find']}' is in {m['file']} {count} times; give nth:")
    if nth > count:
        raise ListError(f"{m['id']}: {m['file']} has only {count} of '{m['find']}'")
    at = -1
    for _ in range(max(nth, 1)):
        at = original.index(find, at + 1)
    mutated = original[:at] + m["replace"].encode("utf-8") + original[at + len(find):]
    return path, original, mutated


def run(cmd, timeout):
    try:
        r = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout)
        return r.returncode, r.stdout.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        return None, "timed out"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("lists", nargs="+")
    ap.add_argument("--build", default="build/dev")
    ap.add_argument("--only", default="")
    ap.add_argument("--list-only", action="store_true", help="check the lists, run nothing")
    ap.add_argument("--jobs", default=os.environ.get("JOBS", "2"))
    ap.add_argument("--test-timeout", default="900")
    args = ap.parse_args()

    mutants = []
    try:
        for path in args.lists:
            mutants += parse(path)
        ids = set()
        for m in mutants:
            if m["id"] in ids:
                raise ListError(f"{m['id']} is listed twice")
            ids.add(m["id"])
            locate(m)
    except ListError as e:
        print(f"mutants: {e}", file=sys.stderr)
        return 2
    if args.only:
        wanted = set(args.only.split(","))
        mutants = [m for m in mutants if m["id"] in wanted]
    if args.list_only:
        print(f"{len(mutants)} mutants, each found once")
        return 0

    build = ["cmake", "--build", args.build, "-j", args.jobs]
    code, out = run(build, None)
    if code != 0:
        print(out[-4000:])
        print("mutants: the unmutated sources do not build", file=sys.stderr)
        return 2

    results = []
    try:
        for m in mutants:
            if "equivalent" in m:
                results.append((m, "equivalent", 0.0))
                continue
            path, original, mutated = locate(m)
            start = time.monotonic()
            try:
                with open(path, "wb") as f:
                    f.write(mutated)
                targets = m.get("targets", "").split()
                code, out = run(build + (["--target"] + targets if targets else []), None)
                if code != 0:
                    verdict = "killed (build)"
                else:
                    ctest = ["ctest", "--test-dir", args.build, "-j", args.jobs,
                             "--timeout", args.test_timeout, "--stop-on-failure"]
                    if m.get("tests"):
                        ctest += ["-R", m["tests"]]
                    code, out = run(ctest, 3600)
                    if code is None:
                        verdict = "killed (timeout)"
                    elif "No tests were found" in out:
                        verdict = "no tests"
                    elif code != 0:
                        failed = [l.strip() for l in out.splitlines() if "***Failed" in l
                                  or "(Failed)" in l or "(Subprocess aborted)" in l
                                  or "(Timeout)" in l]
                        verdict = "killed" + (f" by {failed[0].split()[3]}" if failed and
                                              len(failed[0].split()) > 3 else "")
                    else:
                        verdict = "SURVIVED"
            finally:
                with open(path, "wb") as f:
                    f.write(original)
            results.append((m, verdict, time.monotonic() - start))
            print(f"{m['id']:<44} {verdict}  ({time.monotonic() - start:.0f} s)", flush=True)
    finally:
        run(build, None)

    counted = [r for r in results if r[1] not in ("equivalent", "no tests")]
    killed = [r for r in counted if r[1].startswith("killed")]
    print()
    print(f"{len(killed)} of {len(counted)} mutants killed"
          + (f" ({100.0 * len(killed) / len(counted):.0f} %)" if counted else ""))
    for m, verdict, _ in results:
        if verdict in ("SURVIVED", "no tests", "equivalent"):
            note = f": {m['equivalent']}" if verdict == "equivalent" else ""
            print(f"  {verdict:<10} {m['id']}  {m['description']}{note}")
    return 1 if len(killed) < len(counted) else 0


if __name__ == "__main__":
    sys.exit(main())
