#!/usr/bin/python3
"""The best score of each grouping problem, proven by the Z3 solver: the exact reference of the grouping tests.

Reads a JSON list of problems from stdin; each has "n", "sizes", "wishes" and "rejects" (lists of roster
positions per pupil), "girls" (0/1 per pupil), "balance", "together", "apart" (pairs of positions), "pins"
([position, 0-based group]) and "mutual_rejection_allowed" (else pupils who rejected each other never share
a group). Writes one line per
problem: {"key": [unmatched, unwanted, rejections inside, -mutual kept, -choices honoured]} for the proven
optimum, {"unsat": true} when no arrangement keeps the rules, {"unknown": true} when the solver ran out of
its time.
"""
import json
import sys

import z3


def solve(p, seconds):
    n, sizes = p["n"], p["sizes"]
    k = len(sizes)
    wishes, rejects = p["wishes"], p["rejects"]
    y = [[z3.Bool(f"y{i}_{g}") for g in range(k)] for i in range(n)]
    solver = z3.Solver()
    solver.set(timeout=seconds * 1000)
    for i in range(n):
        solver.add(z3.PbEq([(y[i][g], 1) for g in range(k)], 1))
    for g in range(k):
        solver.add(z3.PbEq([(y[i][g], 1) for i in range(n)], sizes[g]))
    if p["balance"]:
        total = sum(p["girls"])
        for g in range(k):
            # |girls_g - total * size_g / n| <= 1, multiplied by n
            girls = z3.Sum([z3.If(y[i][g], 1, 0) for i in range(n) if p["girls"][i]] or [z3.IntVal(0)])
            solver.add(girls * n >= total * sizes[g] - n, girls * n <= total * sizes[g] + n)

    same = {}

    def together(i, j):
        key = (min(i, j), max(i, j))
        if key not in same:
            s = z3.Bool(f"s{key[0]}_{key[1]}")
            solver.add(s == z3.Or([z3.And(y[i][g], y[j][g]) for g in range(k)]))
            same[key] = s
        return same[key]

    for a, b in p["together"]:
        solver.add(together(a, b))
    for a, b in p["apart"]:
        solver.add(z3.Not(together(a, b)))
    if not p.get("mutual_rejection_allowed"):
        for i in range(n):
            for j in rejects[i]:
                if i < j and i in rejects[j]:
                    solver.add(z3.Not(together(i, j)))
    for i, g in p["pins"]:
        solver.add(y[i][g])
    # Groups of one size are interchangeable unless pinned: the first pupil goes into the first of them.
    if not p["pins"] and len(set(sizes)) == 1:
        solver.add(y[0][0])

    chosen_by = [[] for _ in range(n)]
    for i in range(n):
        for j in wishes[i]:
            chosen_by[j].append(i)
    one = lambda c: z3.If(c, 1, 0)
    unmatched = z3.Sum([one(z3.Not(z3.Or([together(i, j) for j in wishes[i]]))) for i in range(n) if wishes[i]]
                       or [z3.IntVal(0)])
    unwanted = z3.Sum([one(z3.Not(z3.Or([together(i, j) for j in chosen_by[i]] or [z3.BoolVal(False)])))
                       for i in range(n) if not wishes[i]] or [z3.IntVal(0)])
    inside = z3.Sum([one(together(i, j)) for i in range(n) for j in rejects[i]] or [z3.IntVal(0)])
    mutual = z3.Sum([one(together(i, j)) for i in range(n) for j in wishes[i] if i < j and i in wishes[j]]
                    or [z3.IntVal(0)])
    honoured = z3.Sum([one(together(i, j)) for i in range(n) for j in wishes[i]] or [z3.IntVal(0)])
    # Level by level: the least value the level can take (each better one asked of the solver until it
    # proves there is none), then that value fixed for the levels below. Plain satisfiability, whose
    # answers are proofs.
    result = solver.check()
    if result == z3.unsat:
        return {"unsat": True}
    key = []
    for level in [unmatched, unwanted, inside, -mutual, -honoured]:
        if result != z3.sat:
            return {"unknown": True}  # out of time: no proven optimum
        value = solver.model().eval(level, model_completion=True).as_long()
        while True:
            solver.push()
            solver.add(level < value)
            result = solver.check()
            if result != z3.sat:
                solver.pop()
                break
            value = solver.model().eval(level, model_completion=True).as_long()
            solver.pop()
        if result != z3.unsat:
            return {"unknown": True}
        solver.add(level == value)
        key.append(value)
        result = solver.check()
    return {"key": key}


def main():
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 60
    for problem in json.load(sys.stdin):
        print(json.dumps(solve(problem, seconds)), flush=True)


if __name__ == "__main__":
    main()
