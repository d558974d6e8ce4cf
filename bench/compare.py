#!/usr/bin/env python3
"""Pipes one corpus of expressions through tarvo-cli and its peers, checks
that every peer gives the same values (to 12 significant digits), and prints
each one's start-up time and expressions per second side by side.

    python3 bench/compare.py TARVO_CLI [CORPUS]

compare.sh installs the peers and builds tarvo-cli, then runs this.
"""
import os
import re
import statistics
import subprocess
import sys
import time

RUNS = 5          # timed runs of the whole input; the best counts
# The fast peers read the corpus this many times over in each timed run, so
# that their rate is their steady pace rather than the warm-up of a 5 ms run
# (code paged in, tables built on first use); qalc reads it once.
REPEAT = 10
START_RUNS = 20   # runs with empty input; the median counts
REL_TOL = 1e-12

NAMES = re.compile(r"\b(sqrt|sin|cos|tan|atan|log10|log|exp|pi)\b")


def to_tarvo(e):
    names = {"atan": "arctan", "sqrt": "sqr", "log": "ln", "log10": "log"}
    return NAMES.sub(lambda m: names.get(m.group(1), m.group(1)), e).replace("**", "^")


def to_bc(e):
    names = {"sin": "s", "cos": "c", "tan": "t", "atan": "a", "log": "l", "log10": "g",
             "exp": "e", "pi": "p", "sqrt": "sqrt"}
    return NAMES.sub(lambda m: names[m.group(1)], e).replace("**", "^")


def to_qalc(e):
    names = {"log": "ln"}
    return NAMES.sub(lambda m: names.get(m.group(1), m.group(1)), e).replace("**", "^")


BC_PRELUDE = ("scale=25\n"
              "define t(x) { return (s(x)/c(x)); }\n"
              "define g(x) { return (l(x)/l(10)); }\n"
              "p=4*a(1)\n")
PY_LOOP = ("import sys\nfrom math import *\n"
           "w = sys.stdout.write\n"
           "for line in sys.stdin:\n    w(repr(eval(line)) + '\\n')\n")


def peers(tarvo_cli):
    """name -> (argv, translate, prelude, environment additions, timed runs, repeats)."""
    return {
        "tarvo-cli": ([tarvo_cli, "-n"], to_tarvo, ":rad\n", {}, RUNS, REPEAT),
        "bc -l": (["bc", "-l", "-q"], to_bc, BC_PRELUDE, {"BC_LINE_LENGTH": "0"}, RUNS, REPEAT),
        "python3": (["python3", "-c", PY_LOOP], lambda e: e, "", {}, RUNS, REPEAT),
        # About 20 ms an expression: one run. With 20 digits and its default
        # interval handling qalc leaves some tangents unevaluated; the
        # approximation and interval settings make it compute them.
        "qalc": (["qalc", "-t", "-s", "angle 1", "-s", "precision 20", "-s", "approximation 1",
                  "-s", "interval calculation 2", "-f", "/dev/stdin"], to_qalc, "", {}, 1, 1),
    }


def run(argv, text, env):
    t0 = time.perf_counter()
    p = subprocess.run(argv, input=text, capture_output=True, text=True, env=env, check=False)
    return time.perf_counter() - t0, p.stdout


def parse(line):
    line = line.strip().replace("\u2212", "-").replace(" ", "")
    line = line.lstrip("=\u2248")
    try:
        return float(line)
    except ValueError:
        return None


def main():
    tarvo_cli = sys.argv[1]
    corpus_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        os.path.dirname(__file__), "corpus", "scientific.txt")
    with open(corpus_path) as f:
        corpus = [line.strip() for line in f if line.strip()]
    n = len(corpus)

    results = {}
    for name, (argv, translate, prelude, extra, runs, repeat) in peers(tarvo_cli).items():
        env = dict(os.environ, **extra)
        text = prelude + "".join(translate(e) + "\n" for e in corpus) * repeat
        start = statistics.median(run(argv, prelude, env)[0] for _ in range(START_RUNS))
        best, out = None, ""
        for _ in range(runs):
            t, out = run(argv, text, env)
            best = t if best is None else min(best, t)
        values = [parse(l) for l in out.splitlines() if l.strip()]
        if len(values) == n * repeat:
            values = values[:n]  # the repeats give the same values
        results[name] = (start, best, repeat, values)

    reference = results["python3"][3]
    ok = True
    print(f"{n} expressions from {corpus_path}\n")
    print(f"{'peer':<10} {'start-up ms':>12} {'run ms':>9} {'expr/s':>11} {'expr/s net':>11} {'disagree':>9}")
    for name, (start, best, repeat, values) in results.items():
        bad = []
        if len(values) != n:
            bad = [f"{len(values)} result lines for {n} expressions"]
        else:
            for e, v, r in zip(corpus, values, reference):
                if v is None or r is None or abs(v - r) > REL_TOL * max(abs(r), abs(v)) + 1e-300:
                    bad.append(f"{e}: {v} vs {r}")
        # Rates over everything read; "net" leaves out one start-up. "run ms"
        # is the time for the corpus once, start-up included once.
        lines = n * repeat
        net = best - start
        print(f"{name:<10} {start * 1e3:12.2f} {(start + net / repeat) * 1e3:9.1f} {lines / best:11,.0f} "
              f"{(lines / net if net > 0 else float('inf')):11,.0f} {len(bad):9d}")
        for b in bad[:5]:
            print(f"    {b}")
        ok = ok and not bad
    print("\nall peers agree to 12 significant digits" if ok else "\nPEERS DISAGREE")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
