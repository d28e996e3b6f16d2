#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing, refreshing
# the package lists first; does nothing when every one is installed.
#   bash scripts/apt-install.sh [--no-install-recommends] PACKAGE...
set -euo pipefail
options=()
if [ "${1:-}" = --no-install-recommends ]; then
    options+=(--no-install-recommends)
    shift
fi
missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
((${#missing[@]})) || exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
