#!/usr/bin/env bash
# Cross-builds the audio stack of the Windows programs (libsndfile with its
# codecs, libsoxr) from Debian's own source packages, the same versions the
# native build links, as static MinGW libraries.
#
#   tools/build-audio-libs.sh [TRIPLE]     (default x86_64-w64-mingw32)
#
# Prints the install prefix as its last line. The result is kept under
# build/audio-libs/TRIPLE/KEY, KEY naming the source versions and this
# script's recipe, so a second run is a no-op and needs no network.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
triple=${1:-x86_64-w64-mingw32}
script="$here/tools/build-audio-libs.sh"

# Build order matters: the codecs first, libsndfile last.
packages=(libogg libvorbis flac opus mpg123 lame libsoxr libsndfile)
# Binary packages the native build pulls in, one per source package: their
# source version is the one to build.
declare -A binary_of=([libogg]=libogg0 [libvorbis]=libvorbis0a [flac]=libflac12 [opus]=libopus0
  [mpg123]=libmpg123-0 [lame]=libmp3lame0 [libsoxr]=libsoxr0 [libsndfile]=libsndfile1)

declare -A version
key_text="$triple $(sha256sum "$script" | cut -c1-16)"
for pkg in "${packages[@]}"; do
  v=$(dpkg-query -W -f='${source:Version}' "${binary_of[$pkg]}:$(dpkg --print-architecture)" 2>/dev/null || true)
  [ -n "$v" ] || { echo "build-audio-libs: ${binary_of[$pkg]} is not installed (see packages.txt)" >&2; exit 1; }
  version[$pkg]=$v
  key_text+=" $pkg=$v"
done
key=$(echo "$key_text" | sha256sum | cut -c1-12)
top="$here/build/audio-libs/$triple"
root="$top/$key"
prefix="$root/prefix"
if [ -f "$root/done" ]; then
  echo "$prefix"
  exit 0
fi

log() { echo "== audio libs ($triple): $*" >&2; }
started=$(date +%s)
rm -rf "$root"
mkdir -p "$root/apt/lists/partial" "$root/apt/cache/archives/partial" "$root/src" "$root/build" "$prefix"
echo "$key_text" >"$root/versions"

# A deb-src line for every Debian suite this machine already installs from;
# apt works on a private state under build/, the system's lists stay as they are.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
python3 - "$codename" >"$root/apt/sources.list" <<'EOF'
import glob, re, sys
codename = sys.argv[1]
suite = re.compile(r'^%s(-updates|-security)?$' % re.escape(codename))
seen = []
def add(uri, suites, comps):
    for s in suites:
        if suite.match(s):
            line = 'deb-src %s %s %s' % (uri, s, ' '.join(comps))
            if line not in seen:
                seen.append(line)
for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
    try:
        lines = open(path).read().splitlines()
    except OSError:
        continue
    for line in lines:
        line = re.sub(r'\[[^]]*\]', '', line.split('#')[0]).split()
        if len(line) >= 3 and line[0] == 'deb':
            add(line[1], [line[2]], line[3:] or ['main'])
for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
    for stanza in open(path).read().split('\n\n'):
        fields = {}
        for line in stanza.splitlines():
            if ':' in line and not line.startswith(('#', ' ')):
                k, v = line.split(':', 1)
                fields[k.strip()] = v.split()
        if 'deb' in fields.get('Types', []) and fields.get('Enabled', ['yes'])[0] != 'no':
            for uri in fields.get('URIs', []):
                add(uri, fields.get('Suites', []), fields.get('Components', ['main']))
print('\n'.join(seen))
EOF
[ -s "$root/apt/sources.list" ] || { echo "build-audio-libs: no Debian archive in /etc/apt" >&2; exit 1; }
apt_opts=(-o "Dir::Etc::SourceList=$root/apt/sources.list" -o "Dir::Etc::SourceParts=$root/apt/none"
  -o "Dir::State::Lists=$root/apt/lists" -o "Dir::Cache=$root/apt/cache"
  -o "Dir::State::status=/var/lib/dpkg/status" -o "APT::Sandbox::User=$(id -un)" -q)
log "source package lists"
apt-get "${apt_opts[@]}" update >"$root/apt/update.log" 2>&1 || { cat "$root/apt/update.log" >&2; exit 1; }

# What dpkg-source -x does for a "3.0 (quilt)" package: the upstream tarball,
# Debian's folder over it, Debian's patches in their order. Used when the
# mirror lacks only the upstream signature (.asc) that the .dsc lists; apt has
# checked every tarball's hash against the signed index already.
unpack_quilt() { # pkg version
  local upstream=${2%-*} dir
  upstream=${upstream#*:}
  dir="$1-$upstream"
  mkdir "$dir"
  tar -xf "$(ls "$1_$upstream".orig.tar.*[!c])" -C "$dir" --strip-components=1
  tar -xf "$1_${2#*:}".debian.tar.* -C "$dir"
  if [ -f "$dir/debian/patches/series" ]; then
    local patch opts
    while read -r patch opts; do
      case "$patch" in '' | '#'*) continue ;; esac
      patch -d "$dir" ${opts:--p1} -s <"$dir/debian/patches/$patch"
    done <"$dir/debian/patches/series"
  fi
}

cd "$root/src"
for pkg in "${packages[@]}"; do
  log "apt-get source $pkg=${version[$pkg]}"
  if ! apt-get "${apt_opts[@]}" source "$pkg=${version[$pkg]}" >"$pkg.log" 2>&1; then
    if grep '^E: Failed to fetch [a-z]*:' "$pkg.log" | grep -qv '\.asc '; then
      cat "$pkg.log" >&2
      exit 1
    fi
    log "the mirror has no upstream signature for $pkg: unpacking by hand"
    unpack_quilt "$pkg" "${version[$pkg]}"
  fi
done

jobs=$(nproc)
cc="$triple-gcc-posix"
launcher=$(command -v ccache || true)
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH=
common_cflags="-O2 -g0"
srcdir() { find "$root/src" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n1; }

cmake_build() { # name, cmake options...
  local name=$1 src
  shift
  src=$(srcdir "$name")
  log "building $name"
  cmake -S "$src" -B "$root/build/$name" -G Ninja -Wno-dev \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR="${triple%%-*}" \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$triple-g++-posix" \
    -DCMAKE_RC_COMPILER="$triple-windres" ${launcher:+-DCMAKE_C_COMPILER_LAUNCHER="$launcher"} \
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$triple" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="$common_cflags ${extra_cflags:-}" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$root/build/$name.log" 2>&1 &&
    cmake --build "$root/build/$name" -j "$jobs" >>"$root/build/$name.log" 2>&1 &&
    cmake --install "$root/build/$name" >>"$root/build/$name.log" 2>&1 ||
    { tail -n 40 "$root/build/$name.log" >&2; exit 1; }
}

configure_build() { # name, configure options...
  local name=$1 src
  shift
  src=$(srcdir "$name")
  log "building $name"
  mkdir -p "$root/build/$name"
  (cd "$root/build/$name" &&
    CC="${launcher:+$launcher }$cc" CFLAGS="$common_cflags" "$src/configure" --host="$triple" \
      --prefix="$prefix" --enable-static --disable-shared "$@" &&
    make -j "$jobs" && make install) >"$root/build/$name.log" 2>&1 ||
    { tail -n 40 "$root/build/$name.log" >&2; exit 1; }
}

cmake_build libogg -DINSTALL_DOCS=OFF
cmake_build libvorbis
cmake_build flac -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF -DBUILD_CXXLIBS=OFF \
  -DINSTALL_MANPAGES=OFF -DWITH_OGG=ON
# Opus 1.3.1's release tarball lacks a file its CMake build includes.
configure_build opus --disable-doc --disable-extra-programs
# Only the library: the decoder libsndfile reads MP3 with, in its portable
# output-free form.
configure_build mpg123 --disable-components --enable-libmpg123 --with-default-audio=dummy \
  --disable-modules
configure_build lame --disable-frontend --disable-decoder --disable-gtktest
# One thread per conversion; without OpenMP nothing beyond Windows' own DLLs is needed.
cmake_build libsoxr -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF -DBUILD_EXAMPLES=OFF \
  -DWITH_AVFFT=OFF
# libsndfile finds FLAC by its headers, which declare a DLL's imports unless told otherwise.
extra_cflags=-DFLAC__NO_DLL cmake_build libsndfile -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DENABLE_CPACK=OFF \
  -DENABLE_PACKAGE_CONFIG=OFF -DINSTALL_PKGCONFIG_MODULE=ON -DBUILD_REGTEST=OFF \
  -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=ON -DINSTALL_MANPAGES=OFF

# The licences travel with the libraries.
mkdir -p "$prefix/share/licenses"
for pkg in "${packages[@]}"; do
  cp "$(srcdir "$pkg")/debian/copyright" "$prefix/share/licenses/$pkg.copyright"
done
# The sources stay (they are what was linked); the object files go.
rm -rf "$root/apt/cache" "$root/apt/lists" "$root/build"
log "done in $(($(date +%s) - started)) s"
touch "$root/done"
# Builds for versions no longer installed are of no further use.
find "$top" -mindepth 1 -maxdepth 1 -type d ! -name "$key" -exec rm -rf {} +
echo "$prefix"
