#!/usr/bin/env python3
"""Mutation sweep over the portable core: does each plausible slip fail a test?

Each mutant in scripts/mutants.txt replaces one exact snippet of a core source (it must occur
once) with a faulty one. The core's tests are built in build/mutants (the `linux` preset, a
build tree of its own) and run with ctest, which stops at the first failure. The source is
put back byte for byte after every mutant, whatever happens, before the next one is made.

    python3 scripts/mutants.py            # the whole list (a few minutes)
    python3 scripts/mutants.py 3 17       # only mutants 3 and 17
    python3 scripts/mutants.py --list other.txt

A mutant marked `equivalent:` cannot change what the program does; it is run all the same (a
failing test would show the reason wrong) but left out of the score. The exit status is 1
when fewer than 95 % of the other mutants fail a test.
"""

import re
import signal
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LIST = ROOT / "scripts" / "mutants.txt"
BUILD = ROOT / "build" / "mutants"
REQUIRED_SHARE = 0.95


def load(path):
    """Blocks of `key: value` lines, one mutant each, parted by blank lines; # starts a
    comment line. In a snippet, <NL> stands for a line break (and the next line's indent)."""
    mutants, block = [], {}
    for line in path.read_text(encoding="utf-8").splitlines() + [""]:
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                missing = {"file", "from", "to", "why"} - block.keys()
                if missing:
                    sys.exit(f"mutant {len(mutants) + 1}: no {', '.join(sorted(missing))}")
                mutants.append(block)
            block = {}
            continue
        key, _, value = line.partition(":")
        block[key.strip()] = value.strip().replace("<NL>", "\n")
    return mutants


def run(command, timeout):
    """The command's exit code (None when it ran out of time) and its output."""
    try:
        done = subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=timeout, text=True)
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired:
        return None, ""


def build():
    return run(["cmake", "--build", str(BUILD)], 900)[0] == 0


def failed_test():
    """The name of the first test that fails, or None when all pass. A test that hangs on a
    mutant counts as failed once its time is up."""
    code, output = run(["ctest", "--test-dir", str(BUILD), "--stop-on-failure", "--timeout",
                        "60"], 1200)
    if code == 0:
        return None
    failed = re.search(r"^\s*\d+ - (\S+) \(", output, re.MULTILINE)
    return failed.group(1) if failed else "ctest"


def try_mutant(mutant):
    source = ROOT / mutant["file"]
    original = source.read_bytes()
    text = original.decode("utf-8")
    if text.count(mutant["from"]) != 1:
        return "NOT FOUND ONCE", ""
    try:
        source.write_bytes(text.replace(mutant["from"], mutant["to"]).encode("utf-8"))
        if not build():
            return "DOES NOT BUILD", ""
        failed = failed_test()
        return ("caught", failed) if failed else ("SURVIVED", "")
    finally:
        source.write_bytes(original)  # newer than the mutant's object: the next build redoes it


def main():
    # A stop (Ctrl+C, kill) unwinds through try_mutant's finally like any error.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    args = sys.argv[1:]
    listed = LIST
    if args[:1] == ["--list"]:
        listed, args = Path(args[1]), args[2:]
    mutants = load(listed)
    chosen = [int(a) for a in args] or range(1, len(mutants) + 1)
    if run(["cmake", "--preset", "linux", "-B", str(BUILD), "-DTALVEX_WERROR=OFF"], 600)[0] != 0:
        sys.exit("configure failed")
    if not build() or failed_test():
        sys.exit("the unmutated core does not pass its tests: nothing to measure")

    counts = {"meaningful": 0, "caught": 0, "equivalent": 0}
    trouble = False
    for number in chosen:
        mutant = mutants[number - 1]
        verdict, by = try_mutant(mutant)
        equivalent = "equivalent" in mutant
        if equivalent:
            counts["equivalent"] += 1
            trouble |= verdict != "SURVIVED"
            verdict = f"equivalent, {verdict}"
        elif verdict in ("caught", "SURVIVED"):
            counts["meaningful"] += 1
            counts["caught"] += verdict == "caught"
        else:
            trouble = True
        print(f"{number:3} {verdict:22} {mutant['file']}: {mutant['why']}", flush=True)
        if by:
            print(f"    by {by}", flush=True)
    build()  # leave the tree built from the real sources

    meaningful, caught = counts["meaningful"], counts["caught"]
    share = caught / meaningful if meaningful else 1.0
    print(f"{caught} of {meaningful} meaningful mutants caught ({share:.0%}); "
          f"{counts['equivalent']} equivalent")
    if trouble:
        print("some mutants could not be judged, or an equivalent one failed a test: see above")
    sys.exit(0 if share >= REQUIRED_SHARE and not trouble else 1)


if __name__ == "__main__":
    main()
