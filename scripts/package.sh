#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of WinOrbis into build-package/ (or $BUILD_DIR) with CPack and checks
# it: the files it holds, and the programs started from the package unpacked into a scratch
# folder. The package is not installed on this machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-package}
jobs=${JOBS:-$(nproc)}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DWINORBIS_TESTS=OFF -DWINORBIS_BENCH=OFF
cmake --build "$build" -j "$jobs"
(cd "$build" && cpack -G DEB)

deb=$(ls -t "$build"/winorbis_*.deb | head -n 1)
echo "== $deb"
for field in Package Version Architecture Depends Recommends; do
    echo "$field: $(dpkg-deb --field "$deb" "$field")"
done
echo "== files"
dpkg-deb --contents "$deb" | awk '{print $6}'

# Every file an installation needs must be in the package.
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for f in ./usr/bin/winorbis ./usr/bin/orbisctl ./usr/bin/orbis-sim ./usr/bin/orbis-modem \
         ./usr/libexec/winorbis/orbis-ptt-guardian \
         ./usr/include/vexcore/vexcore.h \
         ./usr/share/applications/io.github.winorbis.WinOrbis.desktop \
         ./usr/share/metainfo/io.github.winorbis.WinOrbis.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/io.github.winorbis.WinOrbis.svg \
         ./usr/share/icons/hicolor/48x48/apps/io.github.winorbis.WinOrbis.png \
         ./usr/share/man/man1/winorbis.1 ./usr/share/doc/winorbis/winorbis70.pdf; do
    grep -qx -- "$f" <<<"$contents" || { echo "package.sh: $f is missing from the package" >&2; exit 1; }
done
grep -q 'libvexcore\.so\.1$' <<<"$contents" || { echo "package.sh: libvexcore.so.1 is missing" >&2; exit 1; }
grep -q 'pkgconfig/vexcore\.pc$' <<<"$contents" || { echo "package.sh: vexcore.pc is missing" >&2; exit 1; }
depends=$(dpkg-deb --field "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || { echo "package.sh: no Qt dependency declared: $depends" >&2; exit 1; }
for library in libhamlib pxlib; do
    grep -q "$library" <<<"$depends" || { echo "package.sh: no $library dependency declared: $depends" >&2; exit 1; }
done

# The programs as the package installs them, unpacked into a scratch root.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
echo "== from the unpacked package"
"$root/usr/bin/winorbis" --version
help=$("$root/usr/bin/orbisctl" --help)
head -n 2 <<<"$help"
help=$("$root/usr/bin/orbis-sim" --help)
head -n 1 <<<"$help"
echo "== $deb is ready"
