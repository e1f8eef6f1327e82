# Set-up shared by ./demo.sh, ./test.sh and ./package.sh; sourced by them after
# they set $src (the source tree, an absolute path) and $me (their name).
#
# install_missing LIST installs the Debian packages of LIST that are missing;
# configure_build DIR OPTIONS... configures a build folder, keeping the
# generator it was made with.

jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

say() { printf '%s: %s\n' "$me" "$*"; }
die() { printf '%s: %s\n' "$me" "$*" >&2; exit 1; }

# True when this g++ links a 32-bit program (Debian: g++-multilib).
can_build_m32() {
  command -v g++ >/dev/null 2>&1 || return 1
  echo 'int main(){}' | g++ -m32 -x c++ - -o /dev/null >/dev/null 2>&1
}

# True when this machine also runs the 32-bit programs g++ makes: a kernel may
# be built or booted without 32-bit support, which no package brings back.
can_run_m32() {
  can_build_m32 || return 1
  probe=$(mktemp "${TMPDIR:-/tmp}/m32-probe.XXXXXX") || return 1
  ran=1
  if echo 'int main(){}' | g++ -m32 -x c++ - -o "$probe" >/dev/null 2>&1; then
    "$probe" >/dev/null 2>&1 && ran=0
  fi
  rm -f "$probe"
  return $ran
}

# True when Debian's architecture is not amd64, where there is no g++-multilib
# to install and the 32-bit build is skipped.
not_amd64() {
  [ "$(dpkg --print-architecture 2>/dev/null)" != amd64 ]
}

# missing_packages LIST: prints the packages of LIST that are missing. LIST has
# one package a line, followed by a shell command that succeeds when what the
# package brings is already there (so a tool installed some other way counts).
missing_packages() {
  printf '%s\n' "$1" | while read -r pkg check; do
    case $pkg in '' | '#'*) continue ;; esac
    # The check gets no standard input: the list is being read from it.
    if ! eval "$check" </dev/null >/dev/null 2>&1; then
      printf '%s ' "$pkg"
    fi
  done
}

# apt_get ARGS...: apt-get as root ($as_root), without questions. Another
# apt-get may hold the package lock for a while: it waits for the lock and
# tries twice more, since a held lock on the package lists fails at once.
apt_get() {
  for try in 1 2 3; do
    # shellcheck disable=SC2086 # $as_root is empty or sudo
    $as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@" && return 0
    [ "$try" -lt 3 ] && { say "apt-get $1 failed; trying again in 20 s"; sleep 20; }
  done
  return 1
}

# install_missing LIST: installs the missing packages of LIST with apt-get, as
# root or through sudo; otherwise stops with the exact command to run.
install_missing() {
  missing=$(missing_packages "$1")
  missing=${missing% }
  [ -n "$missing" ] || return 0
  line="apt-get install -y --no-install-recommends $missing"
  if ! command -v apt-get >/dev/null 2>&1; then
    die "missing: $missing (Debian package names); this machine has no apt-get, install them by hand"
  fi
  if [ "$(id -u)" -eq 0 ]; then
    as_root=
  elif command -v sudo >/dev/null 2>&1; then
    as_root=sudo
  else
    printf '%s: missing: %s\n' "$me" "$missing" >&2
    printf '%s: run as root, then run %s again:\n  apt-get update && %s\n' "$me" "$me" "$line" >&2
    exit 1
  fi
  say "installing $missing"
  # shellcheck disable=SC2086 # $missing is a word list
  if ! apt_get update || ! apt_get install -y --no-install-recommends $missing; then
    printf '%s: installing failed; the command was:\n  %sapt-get update && %s\n' \
      "$me" "${as_root:+sudo }" "$line" >&2
    exit 1
  fi
  still=$(missing_packages "$1")
  [ -z "$still" ] || die "still missing after installing: $still"
}

# The generator for a new build folder: Ninja when it is there, else Make.
default_generator() {
  if command -v ninja >/dev/null 2>&1; then echo Ninja; else echo 'Unix Makefiles'; fi
}

# True when the build tool of generator $1 is on this machine.
generator_usable() {
  case $1 in
    Ninja | 'Ninja Multi-Config') command -v ninja >/dev/null 2>&1 ;;
    'Unix Makefiles') command -v make >/dev/null 2>&1 ;;
    *) return 1 ;;
  esac
}

# configure_build DIR OPTIONS...: configures DIR (a folder of the source tree)
# from $src. A folder made before keeps its generator, whichever it was, since
# CMake refuses to switch; a folder made from another source tree, or with a
# build tool this machine no longer has, is removed and made again.
configure_build() {
  dir=$1
  shift
  gen=$(default_generator)
  if [ -f "$dir/CMakeCache.txt" ]; then
    cached=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$dir/CMakeCache.txt")
    home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$dir/CMakeCache.txt")
    if [ "$home" = "$src" ] && generator_usable "$cached"; then
      gen=$cached
    else
      case $dir in
        "$src"/build*) ;;
        *) die "refusing to remove $dir: not a build folder of $src" ;;
      esac
      say "$dir was configured from ${home:-another tree} with '$cached'; making it again"
      rm -rf "$dir"
    fi
  fi
  cmake -S "$src" -B "$dir" -G "$gen" "$@"
}
