#!/usr/bin/env bash
# The Debian package as a user meets it: ./package.sh builds it; its contents
# and dependencies are checked; apt-get installs it; the demo runs against the
# installed programs and their manual pages are found; apt-get removes it.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=600)

fail() { echo "package check: FAILED: $*" >&2; exit 1; }

./package.sh
debs=(vantrel-tools_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one vantrel-tools_*.deb, found: ${debs[*]}"
deb=${debs[0]}

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for f in usr/bin/jex2csv usr/bin/jexrx usr/bin/vudstats usr/bin/vudstats64 usr/bin/vudplot \
         usr/share/man/man1/jex2csv.1 usr/share/man/man1/jexrx.1 usr/share/man/man1/vudstats.1 \
         usr/share/man/man1/vudstats64.1 usr/share/man/man1/vudplot.1 \
         usr/share/doc/vantrel-tools/copyright; do
  grep -qx "\./$f" <<<"$contents" || fail "$deb lacks /$f"
done

# Only the C and C++ runtime.
depends=$(dpkg-deb --field "$deb" Depends)
[ -n "$depends" ] || fail "$deb states no dependencies"
for dep in $(sed 's/([^)]*)//g; s/[,|]/ /g' <<<"$depends"); do
  case $dep in
    libc6 | libgcc-s1 | libstdc++6) ;;
    *) fail "$deb depends on $dep (Depends: $depends)" ;;
  esac
done
echo "package check: $deb, Depends: $depends"

# 'man -w' needs man-db.
command -v man >/dev/null || { "${apt[@]}" update && "${apt[@]}" install -y --no-install-recommends man-db; }

"${apt[@]}" install -y "./$deb"
trap '"${apt[@]}" purge -y vantrel-tools >/dev/null 2>&1 || true' EXIT
for p in jex2csv jexrx vudstats vudstats64 vudplot; do
  [ "$(command -v $p)" = /usr/bin/$p ] || fail "$p is not /usr/bin/$p after installing"
done
sh examples/demo.sh --installed
for page in jex2csv jexrx vudstats vudstats64 vudplot; do
  man -w "$page" || fail "no manual page $page after installing"
done
man jex2csv 2>/dev/null | grep -q 'jex2csv' || fail "man jex2csv shows nothing"

"${apt[@]}" purge -y vantrel-tools
trap - EXIT
for p in jex2csv jexrx vudstats vudstats64 vudplot; do
  [ ! -e /usr/bin/$p ] || fail "/usr/bin/$p is still there after removing the package"
done
echo "package check: built, installed, used and removed $deb"
