#!/usr/bin/env python3
"""Two properties of the typed language, tried on generated entries through
the real tarvo-cli:

Commas: one comma written at every position of every golden entry (and of a
few entries of every construct: nested calls, bars, postfix marks, angles,
literals, assignments, equations) either gives a result only where it
separates the arguments of a function that takes a list, or the entry is
refused; it is never read as anything else.

Brackets: every function of the token table, its last ")" left off, gives
what it gives closed, except the functions that take a list, which are
refused; and those are exactly the ones the manual names.

    entry_sweep.py TARVO_CLI SOURCE_DIR
"""
import glob
import os
import re
import subprocess
import sys
import tempfile

cli, source = sys.argv[1], sys.argv[2]
failures = []

# Entries of every construct a comma can meet, written without one.
CONSTRUCTS = [
    "ncr(|52|)", "ncr(|5|,2)", "lcm(|468|)", "lcm(4,|68|)", "pol(|34|)", "rec(|-3|,4)", "|ncr(52)|",
    "sin(ncr(52))", "ncr(ncr(52),3)+npr(5,ncr(21))", "solve(x^2-2,0,2)", "solve(x-15,0,3)",
    "solve(sin(x)-05,0,90)", "eq2d(x^2-15x+5)", "eq3d(x^3-15)", "s2x2(x+y=15,x-y=1)",
    "s3x3(x+y+z=6,x-y=05,z=2)", "det3x3(1,2,3,4,5,6,0,9,85)", "a=15", "a=ncr(52)", "ans+15", "2x5",
    "2(15)", "2²5", "5!2", "30°15'20\"", "3°5", "&h15", "&b101", "&h1a+&b11", "juld(12,31,1998,55)",
    "bin(10,05,5)", "lgb(25,8)", "mie(10,2,30,095)", "rie(50,100,095)", "1/(25)", "2^(15)", "8Î(15)",
    "√(225)", "∛(15)", "15%", "15E3", "(15)(25)", "x(15)", "sin²(15)", "ncr²(52)",
    "lcm(ncr(52),gcm(128))", "gcm(lcm(46),8)", "|15|+|25|", "ncr(5!2)", "juld(1,1,2000,12°30')",
    "[15]+{25}", "ncr[52]", "pi15", "e15", "15 mod 4", "15\\4", "1//25", "2×15", "2·15"]
# The forms the keypad writes for the solvers and the determinant.
SPECIAL_FORMS = ["eq2d", "eq3d", "s2x2", "s3x3", "det3x3"]
SENTINEL = "123456789.125"
REFUSALS = ("error", "not found solutions")


def run(entries):
    """What tarvo-cli prints for each entry, a list of lines each."""
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "entries")
        with open(path, "w", encoding="utf-8") as f:
            for e in entries:
                f.write(e + "\n" + SENTINEL + "\n")
        out = subprocess.run([cli, "-n", "-f", path], capture_output=True, text=True,
                             encoding="utf-8", cwd=work, check=False).stdout
    printed, current = [], []
    for line in out.split("\n"):
        if line == SENTINEL:
            printed.append(current)
            current = []
        else:
            current.append(line)
    if len(printed) != len(entries):
        sys.exit("tarvo-cli printed %d results for %d entries" % (len(printed), len(entries)))
    return printed


def refused(lines):
    return bool(lines) and any(r in lines[-1].lower() for r in REFUSALS)


def manual_list_functions():
    text = open(os.path.join(source, "docs", "manual.md"), encoding="utf-8").read()
    paragraph = re.search(r"\*\*Missing closing brackets\.\*\*(.*?)\n\n", text, re.S)
    if paragraph is None:
        sys.exit("the manual has no paragraph on missing closing brackets")
    names = re.findall(r"`([a-z0-9]+)\(`", paragraph.group(1))
    if not names:
        sys.exit("the manual's paragraph names no function that takes a list")
    return names


def table_functions():
    text = open(os.path.join(source, "engine", "eval", "functions.cpp"), encoding="utf-8").read()
    table = re.search(r"kFunctions = \{\{(.*?)\}\};", text, re.S)
    if table is None:
        sys.exit("engine/eval/functions.cpp holds no function table")
    names = re.findall(r'\{"([^"]+)", Token::', table.group(1))
    return list(dict.fromkeys(n for n in names if not n.startswith("#")))


def separates_list_arguments(entry, list_names):
    """Whether every comma of a typed entry stands at the own level of a
    function's brackets that take a list (bars make a level of their own)."""
    t = entry.lower().replace(" ", "")
    for a, b in (("[", "("), ("{", "("), ("]", ")"), ("}", ")")):
        t = t.replace(a, b)
    levels, bar_open = [], False
    for i, c in enumerate(t):
        if c == "(":
            levels.append(any(t[:i].endswith(n) for n in list_names))
        elif c == ")":
            if levels:
                levels.pop()
        elif c == "|":
            if bar_open and levels:
                levels.pop()
            elif not bar_open:
                levels.append(False)
            bar_open = not bar_open
        elif c == "," and not (levels and levels[-1]):
            return False
    return True


def sweep_commas(list_names):
    golden = []
    for path in sorted(glob.glob(os.path.join(source, "tests", "golden", "*.golden"))):
        for line in open(path, encoding="utf-8"):
            m = re.match(r"^> (.*?)(?: ⇒ .*)?$", line.rstrip("\n"))
            if m and m.group(1).strip() and not m.group(1).lstrip().startswith(":"):
                golden.append(m.group(1))
    mutants = []
    for entry in dict.fromkeys(golden + CONSTRUCTS):
        for p in range(len(entry) + 1):
            mutant = entry[:p] + "," + entry[p:]
            if not mutant.lstrip().startswith("#"):  # a comment, not an entry
                mutants.append(mutant)
    mutants = list(dict.fromkeys(mutants))
    calculated = 0
    for mutant, lines in zip(mutants, run(mutants)):
        if refused(lines):
            continue
        calculated += 1
        if not separates_list_arguments(mutant, list_names):
            failures.append("%r gives %r: a comma read as something else" % (mutant, lines))
    print("commas: %d entries, %d refused, %d calculated as lists" % (len(mutants), len(mutants) - calculated,
                                                                     calculated))
    if calculated == 0:
        failures.append("no entry with a comma was calculated: the sweep proves nothing")


def sweep_brackets(list_names):
    names = table_functions() + SPECIAL_FORMS
    takes_list = {n for n, lines in zip(names, run([n + "(1,2)" for n in names])) if lines != ["Syntax error"]}
    if takes_list != set(list_names):
        failures.append("the functions that take a list are %s; the manual names %s"
                        % (sorted(takes_list), sorted(list_names)))
    argument = {"eq2d": "x^2-5x+6", "eq3d": "x^3-6x^2+11x-6"}
    closed = [n + "(" + argument.get(n, "0.5") + ")" for n in names]
    # Both runs in the same order: "rnd" and "ans" give the same there.
    for name, entry, whole, unclosed in zip(names, closed, run(closed), run([e[:-1] for e in closed])):
        if name in list_names:
            if unclosed != ["Syntax error"]:
                failures.append("%r is no syntax error but %r" % (entry[:-1], unclosed))
        elif unclosed != whole:
            failures.append("%r gives %r, closed %r" % (entry[:-1], unclosed, whole))
    print("brackets: %d functions, %d take a list" % (len(names), len(takes_list)))


def main():
    list_names = manual_list_functions()
    sweep_commas(list_names)
    sweep_brackets(list_names)
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


sys.exit(main())
