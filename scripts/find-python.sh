#!/usr/bin/env bash
# Prints the path of a CPython interpreter of the given version prefix
# (3.8.18, 3.11, ...), looking in pyenv's versions and then on PATH; prints
# nothing when there is none.
#   bash scripts/find-python.sh VERSION
version="$1"
for root in "${PYENV_ROOT:-}" "$(command -v pyenv >/dev/null 2>&1 && pyenv root || true)" "$HOME/.pyenv"; do
    [ -n "$root" ] || continue
    found="$(ls -d "$root"/versions/"$version"*/bin/python3 2>/dev/null | sort -V | tail -n 1 || true)"
    if [ -n "$found" ]; then
        echo "$found"
        exit 0
    fi
done
short="$(echo "$version" | cut -d. -f1,2)"
command -v "python$short" 2>/dev/null || true
