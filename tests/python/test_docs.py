"""The costs stated in docstrings are the ones in the README's tables (and,
for methods whose rows wait in backend-notes.md to join the reference, in
that file's)."""
import os
import re

import tarvel

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
COST = re.compile(r"O\((?:[^()]|\([^()]*\))*\)")
# Rows of the method tables stand for the method that takes the selector.
SELECTED_BY = {**{m: "shortestPath" for m in tarvel.ShortestPathAlgo.__members__},
               **{m: "minimumSpanningTree" for m in tarvel.MSTAlgo.__members__}}


def readme_costs():
    """Member name -> the costs its rows in the README's Python API reference state."""
    costs = {}
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        text = f.read()
    reference = text[text.index("## API reference\n"):]
    reference = reference[:reference.index("\n## ", 1)]
    notes = os.path.join(ROOT, "backend-notes.md")
    if os.path.exists(notes):
        with open(notes, encoding="utf-8") as f:
            rows = f.read()
        rows = rows[rows.index("## Rows for the API reference\n"):]
        reference += rows[:rows.index("\n## ", 1)] if "\n## " in rows[1:] else rows
    for line in reference.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if not line.startswith("| `") or not COST.search(cells[-1]):
            continue
        for name in re.findall(r"`(?:Graph\.)?(\w+)", cells[0]):
            costs.setdefault(SELECTED_BY.get(name, name), set()).update(COST.findall(cells[-1]))
    return costs


def documented_members():
    """Member name -> its docstring, for Edge and Graph (constructors by class name;
    special methods when their docstring states a cost)."""
    members = {}
    for cls in (tarvel.Edge, tarvel.Graph):
        for name in vars(cls):
            costed = COST.search(getattr(cls, name).__doc__ or "")
            if name.startswith("_") and name != "__init__" and not (name.startswith("__") and costed):
                continue
            if name == "__init__":  # a C-level class documents its constructor on the class
                members[cls.__name__] = (cls.__init__.__doc__ or "") + (cls.__doc__ or "")
            else:
                members[name] = getattr(cls, name).__doc__
    return members


def test_every_member_states_the_readme_cost():
    readme, members = readme_costs(), documented_members()
    assert set(readme) == set(members)
    for name, doc in members.items():
        assert set(COST.findall(doc)) == readme[name], name
