#!/bin/sh
# Fresh-machine test: makes a bare Debian 12 root (the base system with only
# git and ca-certificates added), puts a fresh clone of this repository in it
# and runs ./demo.sh and then ./test.sh there as root, as a new user of a
# bare machine would: they must install all they need themselves.
#
# Exit status: 0 when both succeed; 1 when either fails or the root cannot be
# filled; 77 when no such root can be made on this machine (it says why).
# Needs root, a Debian mirror and mount namespaces (unshare). Uses mmdebstrap
# or debootstrap, installing debootstrap when neither is there.
#
# Usage: tests/fresh_machine.sh [--keep] [--new-base]
#   --keep      leave the root (FRESH_DIR/root) in place after a success
#   --new-base  bootstrap again instead of reusing FRESH_DIR/base.tar
# Environment: FRESH_DIR (work folder, default build-fresh/ in the source
#   tree), FRESH_MIRROR and FRESH_SECURITY_MIRROR (default: what apt uses here).
set -eu
src=$(CDPATH='' cd -- "$(dirname -- "$0")/.." && pwd -P)
me=fresh_machine.sh
suite=bookworm

say() { printf '%s: %s\n' "$me" "$*"; }
die() { printf '%s: FAILED: %s\n' "$me" "$*" >&2; exit 1; }
cannot() {
  printf '%s: SKIPPED: cannot make a bare Debian 12 root here: %s\n' "$me" "$*" >&2
  exit 77
}

keep=false
new_base=false
for arg in "$@"; do
  case $arg in
    --keep) keep=true ;;
    --new-base) new_base=true ;;
    *) die "usage: tests/fresh_machine.sh [--keep] [--new-base]" ;;
  esac
done

work=${FRESH_DIR:-$src/build-fresh}
sysroot=$work/root

# The first archive of apt's sources here whose path ends in $1 ("debian" or
# "debian-security"), in either the one-line or the deb822 form.
apt_mirror() {
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -n -e "s|^deb \(\[[^]]*\] \)\{0,1\}\(https\{0,1\}://[^ ]*/$1\)/\{0,1\} .*|\2|p" \
           -e "s|^URIs: *\(https\{0,1\}://[^ ]*/$1\)/\{0,1\} *\$|\1|p" "$f"
  done | head -n 1
}
mirror=${FRESH_MIRROR:-$(apt_mirror debian)}
mirror=${mirror:-http://deb.debian.org/debian}
security=${FRESH_SECURITY_MIRROR:-$(apt_mirror debian-security)}
security=${security:-http://deb.debian.org/debian-security}

# What making and entering a root takes.
[ "$(id -u)" -eq 0 ] || cannot "it needs root (bootstrap, mounts, chroot); run it as root"
command -v unshare >/dev/null 2>&1 || cannot "unshare (util-linux) is missing"
command -v chroot >/dev/null 2>&1 || cannot "chroot is missing"
unshare -m --propagation private sh -c 'mount -t tmpfs none /mnt' 2>/dev/null ||
  cannot "this machine does not allow mounts in a mount namespace (unshare -m)"
command -v git >/dev/null 2>&1 || cannot "git is missing"
head=$(git -C "$src" rev-parse --verify HEAD 2>/dev/null) ||
  cannot "$src is not a git clone, so there is nothing to clone"

if command -v mmdebstrap >/dev/null 2>&1; then
  tool=mmdebstrap
elif command -v debootstrap >/dev/null 2>&1; then
  tool=debootstrap
elif command -v apt-get >/dev/null 2>&1 &&
     DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends debootstrap >/dev/null 2>&1 ||
     { apt-get -o DPkg::Lock::Timeout=600 update >/dev/null 2>&1 &&
       DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends debootstrap >/dev/null 2>&1; }; then
  tool=debootstrap
else
  cannot "neither mmdebstrap nor debootstrap is installed, and installing debootstrap with apt-get failed"
fi

# Mounts are made only inside private mount namespaces, so none outlives its
# command; still, a root is never removed while anything is mounted in it.
remove_root() {
  [ -e "$sysroot" ] || return 0
  if awk -v r="$sysroot" '$5 == r || index($5, r "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo; then
    die "something is still mounted under $sysroot; unmount it and run again"
  fi
  rm -rf --one-file-system "$sysroot"
}

# in_root COMMAND: runs the shell command COMMAND as root inside the root, in
# the clone, with /proc, /dev (with /dev/shm and /dev/pts) and, where allowed,
# /sys mounted, a plain environment and no standard input.
in_root() {
  unshare -m --propagation private sh -c '
    set -e
    r=$1
    mount -t proc proc "$r/proc"
    mount --rbind /dev "$r/dev"
    mount -t sysfs sysfs "$r/sys" 2>/dev/null || true
    exec chroot "$r" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="$3" \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      /bin/sh -c "cd /root/vantrel && $2"
  ' sh "$sysroot" "$1" "${CI:-}" </dev/null
}

now() { date +%s; }
t0=$(now)
mkdir -p "$work"
remove_root

# The base system, made once and kept as a tar file for the next runs.
if $new_base || [ ! -f "$work/base.tar" ]; then
  say "bootstrapping Debian 12 ($suite, minbase + git, ca-certificates) from $mirror with $tool"
  rm -f "$work/base.tar"
  mkdir -p "$sysroot"
  # In a mount namespace too: the bootstrap mounts /proc and /sys in the root.
  if [ $tool = mmdebstrap ]; then
    unshare -m --propagation private mmdebstrap --mode=root --variant=minbase \
      --include=git,ca-certificates $suite "$sysroot" "$mirror" >"$work/bootstrap.log" 2>&1 ||
      { tail -n 20 "$work/bootstrap.log" >&2; die "mmdebstrap failed (log: $work/bootstrap.log)"; }
  else
    unshare -m --propagation private debootstrap --variant=minbase \
      --include=git,ca-certificates $suite "$sysroot" "$mirror" >"$work/bootstrap.log" 2>&1 ||
      { tail -n 20 "$work/bootstrap.log" >&2; die "debootstrap failed (log: $work/bootstrap.log)"; }
  fi
  tar -C "$sysroot" -cf "$work/base.tar.part" . && mv "$work/base.tar.part" "$work/base.tar"
else
  say "reusing the base system in $work/base.tar (--new-base makes it again)"
  mkdir -p "$sysroot"
  tar -C "$sysroot" -xpf "$work/base.tar"
fi

# What a Debian 12 machine has beside the base system, which its installer,
# image or container runtime writes: the update and security archives, the
# loopback names, a name server. And no services started from inside the root.
cat >"$sysroot/etc/apt/sources.list" <<EOT
deb $mirror $suite main
deb $mirror $suite-updates main
deb $security $suite-security main
EOT
printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$sysroot/etc/hosts"
cp /etc/resolv.conf "$sysroot/etc/resolv.conf" 2>/dev/null || true
printf '#!/bin/sh\nexit 101\n' >"$sysroot/usr/sbin/policy-rc.d"
chmod 755 "$sysroot/usr/sbin/policy-rc.d"
t1=$(now)

# A fresh clone of the commit checked out here.
if [ -n "$(git -C "$src" status --porcelain --untracked-files=no)" ]; then
  say "note: uncommitted changes in $src are not part of this test"
fi
git clone --quiet --no-hardlinks "$src" "$sysroot/root/vantrel"
git -C "$sysroot/root/vantrel" checkout --quiet --detach "$head"
say "root ready in $((t1 - t0)) s; testing commit $(git -C "$src" log -1 --format='%h %s' "$head")"

status=0
say "== ./demo.sh in the bare root"
in_root ./demo.sh || status=$?
t2=$(now)
[ $status -eq 0 ] || die "./demo.sh failed in the bare root after $((t2 - t1)) s (root kept: $sysroot)"
say "== ./demo.sh passed in $((t2 - t1)) s; ./test.sh in the same root"
in_root ./test.sh || status=$?
t3=$(now)
[ $status -eq 0 ] || die "./test.sh failed in the bare root after $((t3 - t2)) s (root kept: $sysroot)"

$keep || remove_root
say "PASSED: root $((t1 - t0)) s, ./demo.sh $((t2 - t1)) s, ./test.sh $((t3 - t2)) s, in all $((t3 - t0)) s"
