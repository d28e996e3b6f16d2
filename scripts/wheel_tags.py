"""Checks the release's wheel files by their names: one wheel per CPython
version asked for, each tagged for that version's ABI and for
manylinux2014 x86_64, none tagged plain linux_x86_64 (a wheel that no
index accepts and that pip installs only on the machine that built it).
    python scripts/wheel_tags.py DIST_DIR 3.8 3.9 ... 3.13
prints one line per wheel (its Python, ABI and platform tags) and exits 1
naming every problem."""
import os
import sys

REQUIRED_PLATFORM = "manylinux2014_x86_64"
FORBIDDEN_PLATFORM = "linux_x86_64"


def tags(filename):
    """(python tags, ABI tags, platform tags) of a wheel's file name, each a
    list (a compressed tag set such as 'manylinux2014_x86_64.manylinux_2_17_x86_64'
    holds several); ValueError for a name that is not a wheel's."""
    if not filename.endswith(".whl"):
        raise ValueError("not a wheel: %s" % filename)
    parts = filename[: -len(".whl")].split("-")
    if len(parts) not in (5, 6):  # name-version[-build]-python-abi-platform
        raise ValueError("not a wheel's name: %s" % filename)
    return tuple(part.split(".") for part in parts[-3:])


def problems(filenames, versions):
    """Every problem of the wheels named, against one wheel per version
    ('3.8', ...): an empty list when the release is whole."""
    found = []
    by_python = {}
    for filename in filenames:
        try:
            pythons, abis, platforms = tags(filename)
        except ValueError as error:
            found.append(str(error))
            continue
        if REQUIRED_PLATFORM not in platforms:
            found.append("%s: not tagged %s" % (filename, REQUIRED_PLATFORM))
        if FORBIDDEN_PLATFORM in platforms:
            found.append("%s: tagged %s" % (filename, FORBIDDEN_PLATFORM))
        for python in pythons:
            by_python.setdefault(python, []).append(filename)
            if python not in abis:
                found.append("%s: ABI %s is not %s's" % (filename, ".".join(abis), python))
    wanted = {"cp" + version.replace(".", "") for version in versions}
    for python in sorted(wanted):
        count = len(by_python.get(python, []))
        if count != 1:
            found.append("%d wheels for %s, not one" % (count, python))
    for python in sorted(set(by_python) - wanted):
        found.append("a wheel for %s, which was not asked for: %s" % (python, ", ".join(by_python[python])))
    return found


def main(folder, versions):
    names = sorted(name for name in os.listdir(folder) if name.endswith(".whl"))
    for name in names:
        try:
            pythons, abis, platforms = tags(name)
            print("%s  %s-%s-%s" % (name, ".".join(pythons), ".".join(abis), ".".join(platforms)))
        except ValueError:
            print(name)
    found = problems(names, versions)
    for problem in found:
        print("problem: " + problem, file=sys.stderr)
    return 1 if found or not versions else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
