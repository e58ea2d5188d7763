#!/usr/bin/env bash
# The Debian package: built by CPack, its dependencies resolvable by apt on
# this machine, installed with dpkg into a scratch root, and the installed
# programs and desktop files checked there (tests/install/check_installed.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
deb=$(scripts/package.sh | tail -1)
echo "package: $deb"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
# Every dependency must be installable here (a fresh Debian 12 in CI).
apt-get install --simulate --no-install-recommends "./$deb" >/tmp/plomet-apt-simulate.log 2>&1 \
  || { cat /tmp/plomet-apt-simulate.log >&2; echo "FAIL: the package's dependencies cannot be installed" >&2; exit 1; }
root=$(mktemp -d /tmp/plomet-dpkg-root.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
# The scratch root has none of the dependencies: dpkg names each of them,
# which is shown only when the install fails.
dpkg --root="$root" --log=/dev/null --force-not-root --force-depends --force-script-chrootless \
     --no-triggers -i "$deb" >"$root/dpkg.log" 2>&1 || { cat "$root/dpkg.log" >&2; exit 1; }
bash tests/install/check_installed.sh "$root" /usr
