#!/usr/bin/env python3
"""Writes bench/corpus/scientific.txt: 2,000 scientific expressions that every
peer of compare.sh understands once translated, written in Python's syntax.

Only what bc -l can also compute: + - * /, whole powers, sqrt, sin, cos, tan,
atan, log, log10, exp, pi; plain decimals (bc has no exponent notation).
Each expression is kept only when it is well conditioned, so that peers
computing with 15 to 25 digits agree to 12: no intermediate value is huge or
tiny, no sum cancels more than three digits, no divisor or tangent is near a
pole. The generator is seeded, so the file is the same on every run.

    python3 bench/make_corpus.py > bench/corpus/scientific.txt
"""
import math
import random

COUNT = 2000
rng = random.Random(20240607)


class Reject(Exception):
    pass


def check(v):
    if not math.isfinite(v) or abs(v) > 1e7 or (v != 0 and abs(v) < 1e-3):
        raise Reject
    return v


def number():
    kind = rng.random()
    if kind < 0.3:
        return str(rng.randint(1, 99))
    digits = rng.choice([1, 2, 3, 4])
    return f"{rng.uniform(0.05, 50):.{digits}f}"


def expr(depth):
    """Returns (text, value); text is Python with explicit parentheses."""
    if depth == 0 or rng.random() < 0.25:
        t = number()
        return t, float(t)
    choice = rng.random()
    if choice < 0.45:
        op = rng.choice("+-*/")
        a, va = expr(depth - 1)
        b, vb = expr(depth - 1)
        if op == "+":
            v = va + vb
        elif op == "-":
            v = va - vb
        elif op == "*":
            v = va * vb
        else:
            if abs(vb) < 1e-2:
                raise Reject
            v = va / vb
        if op in "+-" and abs(v) < 1e-3 * (abs(va) + abs(vb)):
            raise Reject
        return f"({a}{op}{b})", check(v)
    if choice < 0.55:
        a, va = expr(depth - 1)
        n = rng.randint(2, 4)
        return f"({a})**{n}", check(va ** n)
    fn = rng.choice(["sqrt", "sin", "cos", "tan", "atan", "log", "log10", "exp", "pi"])
    if fn == "pi":
        return "pi", math.pi
    a, va = expr(depth - 1)
    if fn in ("sqrt", "log", "log10") and va <= 0:
        raise Reject
    if fn in ("log", "log10") and abs(va - 1) < 1e-2:
        raise Reject
    if fn == "exp" and abs(va) > 12:
        raise Reject
    if fn in ("sin", "cos", "tan") and abs(va) > 100:
        raise Reject  # bc's argument reduction differs past a few periods
    if fn == "tan" and abs(math.cos(va)) < 0.05:
        raise Reject
    v = getattr(math, fn)(va)
    if fn in ("sin", "cos") and abs(v) < 1e-2:
        raise Reject
    return f"{fn}({a})", check(v)


def main():
    seen = set()
    out = []
    while len(out) < COUNT:
        try:
            text, value = expr(rng.randint(2, 4))
        except (Reject, OverflowError, ValueError, ZeroDivisionError):
            continue
        if text in seen or not 6 <= len(text) <= 90 or text.replace(".", "").isdigit():
            continue
        seen.add(text)
        out.append(text)
    print("\n".join(out))


if __name__ == "__main__":
    main()
