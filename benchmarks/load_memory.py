"""Peak memory of Graph.load beyond the graph it builds, as a multiple of the file's size.

    python benchmarks/load_memory.py [nodes] [edges]      (default 300000 1500000)

Writes a random graph with save, and a copy in which one node name is
escaped, which the direct reader declines so that the document reader runs.
Each load runs in a fresh process, which reports the growth of its peak
resident size and of its resident size after the load (the graph it keeps);
their difference is what the load needed beyond the graph. The graph's own
growth on the way (vectors doubling) is counted against the load, so the
figure errs high.
"""
import json
import os
import random
import subprocess
import sys
import tempfile

import tarvel

CHILD = r"""
import sys
import tarvel

def status(field):
    with open("/proc/self/status") as lines:
        return next(int(line.split()[1]) * 1024 for line in lines if line.startswith(field + ":"))

base = status("VmRSS")
g = tarvel.Graph.load(sys.argv[1])
# The peak of this process's own (ru_maxrss would carry the parent's over
# exec), and what stays resident: the graph.
print(status("VmHWM") - base, status("VmRSS") - base)
"""


def measure(path):
    out = subprocess.run([sys.executable, "-c", CHILD, path], check=True, capture_output=True, text=True)
    return [int(x) for x in out.stdout.split()]


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 300_000
    m = int(sys.argv[2]) if len(sys.argv) > 2 else 1_500_000
    rng = random.Random(1)
    g = tarvel.Graph(True)
    names = ["node%d" % k for k in range(n)]
    for name in names:
        g.addNode(name)
    for _ in range(m):
        g.addEdge(rng.choice(names), rng.choice(names), rng.randint(-10**6, 10**6))
    with tempfile.TemporaryDirectory() as work:
        plain, escaped = os.path.join(work, "plain.json"), os.path.join(work, "escaped.json")
        g.save(plain)
        with open(plain, encoding="utf-8") as f:
            text = f.read()
        text = text.replace('        "node0",\n', '        "\\u006eode0",\n', 1)
        with open(escaped, "w", encoding="utf-8") as f:
            f.write(text)
        assert json.loads(text)["nodes"][0] == "node0"
        size = os.path.getsize(escaped)
        print("file: %.1f MB, %d nodes, %d edges" % (size / 1e6, n, m))
        for label, path in (("direct reader", plain), ("document reader", escaped)):
            peak, graph = measure(path)
            print("%s: peak %.1f MB, the graph %.1f MB, beyond the graph %.1f MB = %.2f x the file"
                  % (label, peak / 1e6, graph / 1e6, (peak - graph) / 1e6, (peak - graph) / size))


if __name__ == "__main__":
    main()
