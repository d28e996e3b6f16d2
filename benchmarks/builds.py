"""Two builds of the module on the benchmark's rows, in one run: tarvel's
calls of benchmarks/compare.py (building, loading and every operation, on
its seeded graphs, at a fraction of their size) for each build, taking turns.
Each round runs a child process on each build (the module found first on
the child's PYTHONPATH), in alternating order, so both see the same machine
load; a child times each row a few times (compare.py's turns) and reports
the median and a digest of the row's full result. The report is each row's
median over the rounds, the second build's time over the first's, and
every row whose result differs between the builds (exit status 1 then).

    python benchmarks/builds.py GXX_DIR WHEEL_DIR [--scale 0.1] [--rounds 5] [--graph NAME ...]

Each directory holds one build of the module, e.g. `pip install --target DIR
--no-deps` of a wheel: the module built by g++ from the source distribution
and the release wheel (scripts/wheels.sh), to show that the wheel is as
fast and answers the same.
"""
import argparse
import hashlib
import json
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LONG_ROW = 0.025  # seconds: rows of the first build at least this long are summed up apart


def measure(scale, only):
    """{row: [median seconds, digest of the result]} for the module on the path."""
    sys.path.insert(0, HERE)
    import compare
    import tarvel
    from peers import Tarvel

    lib, runs, out = Tarvel(), compare.Runs(tiny=False), {}
    runs.budget, runs.least, runs.most = 0.5, 3, 5

    def row(key, call, prepare=None):
        if prepare is not None:
            prepare()
        result = call()
        digest = hashlib.sha256(repr(result).encode()).hexdigest()
        del result
        times = compare.take_turns([(key, call, prepare)], runs)[key]
        out[key] = [statistics.median(times), digest]

    with tempfile.TemporaryDirectory() as folder:
        for p, op_names in compare.make_graphs(False, folder, scale=scale):
            if only and p.name not in only:
                continue
            for kind in ("build", "load"):
                row("%s %s" % (p.name, kind), getattr(lib, kind)(p))
            g = lib.build(p)()
            s, t, t_random = compare.query_pair(g, p)
            if getattr(p, "ends", None):
                s, t = p.ends
            ops = lib.ops(g, p, s, t, compare.katz_alpha(g, p)[0])
            ops.update(compare.to_random_target(lib.ops(g, p, s, t_random, 0.01)))
            for op in op_names:
                for key in (op, op + compare.CONSISTENT):
                    if key in ops and not compare.skipped(op, p, g):
                        row("%s %s" % (p.name, key), ops[key][0], *ops[key][2:])
    out["module"] = [0.0, tarvel.__file__]
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("first", help="folder of the first build (the reference: the g++ build)")
    parser.add_argument("second", help="folder of the second build (the wheel's module)")
    parser.add_argument("--scale", type=float, default=0.1, help="of compare.py's full sizes")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--graph", action="append", help="only this graph (repeatable)")
    args = parser.parse_args()
    runs = {"first": [], "second": []}
    command = [sys.executable, __file__, "--child", str(args.scale)] + (args.graph or [])
    for round in range(args.rounds):
        for which in ("first", "second") if round % 2 == 0 else ("second", "first"):
            env = dict(os.environ, PYTHONPATH=os.path.abspath(getattr(args, which)))
            child = subprocess.run(command, env=env, check=True, stdout=subprocess.PIPE, universal_newlines=True)
            runs[which].append(json.loads(child.stdout))
    print("first:  %s\nsecond: %s" % (runs["first"][0].pop("module")[1], runs["second"][0].pop("module")[1]))
    print("scale %g of compare.py's sizes, %d rounds\n" % (args.scale, args.rounds))
    print("%-52s %10s %10s %8s" % ("row", "first ms", "second ms", "ratio"))
    ratios, firsts, differing = [], [], []
    for key in runs["first"][0]:
        first = statistics.median(r[key][0] for r in runs["first"])
        second = statistics.median(r[key][0] for r in runs["second"])
        if {r[key][1] for r in runs["first"]} != {r[key][1] for r in runs["second"]}:
            differing.append(key)
        ratios.append(second / first)
        firsts.append(first)
        print("%-52s %10.2f %10.2f %8.2f%s" % (key, first * 1e3, second * 1e3, second / first,
                                             "  results differ" if key in differing else ""))
    print("\n%d rows; second/first: median %.2f, geometric mean %.2f, %.2f to %.2f; %d with a different result"
          % (len(ratios), statistics.median(ratios), statistics.geometric_mean(ratios), min(ratios), max(ratios),
             len(differing)))
    # On a busy machine a row of a few milliseconds is as long as a time
    # slice of the scheduler: one wait decides its median.
    long = [ratio for ratio, times in zip(ratios, firsts) if times >= LONG_ROW]
    if long:
        print("%d rows of %d ms or more: median %.2f, geometric mean %.2f, %.2f to %.2f"
              % (len(long), LONG_ROW * 1e3, statistics.median(long), statistics.geometric_mean(long), min(long),
                 max(long)))
    return 1 if differing else 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["--child"]:
        print(json.dumps(measure(float(sys.argv[2]), sys.argv[3:])))
    else:
        sys.exit(main())
