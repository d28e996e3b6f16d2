"""The scenarios of hostile_calls.py, each in a child process with a time
limit and Python's debug allocator, which fills freed memory: a value used
after its last reference went crashes the child instead of passing by
luck."""
import os
import subprocess
import sys

import pytest

import hostile_calls

HERE = os.path.dirname(os.path.abspath(__file__))


@pytest.mark.parametrize("scenario", [s.__name__ for s in hostile_calls.SCENARIOS])
def test_scenario_in_a_child_process(scenario):
    env = dict(os.environ, PYTHONMALLOC="debug", PYTHONPATH=os.pathsep.join(
        [HERE] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p]))
    done = subprocess.run([sys.executable, os.path.join(HERE, "hostile_calls.py"), scenario],
                          capture_output=True, text=True, timeout=300, env=env)
    assert done.returncode == 0, (done.returncode, done.stdout[-2000:], done.stderr[-3000:])
    assert done.stdout.splitlines()[-1] == scenario + " ok", done.stdout
