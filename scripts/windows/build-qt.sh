#!/bin/sh
# Qt 6 qtbase for Windows, cross-built from Debian's qt6-base source (the host's Qt version, whose
# tools the cross build runs: QT_HOST_PATH=/usr) into <build folder>/qt/prefix, shared libraries,
# without ICU, OpenGL, D-Bus, SQL, network, concurrent, XML, examples and tests; zlib, PCRE2,
# FreeType, HarfBuzz, libpng and libjpeg bundled. Built again only when the source version changes.
# The first build takes hours on two cores (docs/windows.md). WIN_QT_PREFIX names the prefix
# (default <build folder>/qt/prefix); a prefix holding this version's stamp is used as it is.
# Usage: build-qt.sh <build folder>
set -eu
build=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
QT=6.4.2+dfsg-10
apt=$build/apt
src=$build/deps/src
work=$build/qt
prefix=${WIN_QT_PREFIX:-$work/prefix}
[ -f "$prefix/.built-qt6-base-$QT" ] && exit 0

mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$src" "$work"
echo "deb-src http://deb.debian.org/debian bookworm main" > "$apt/sources.list"
aptget() {
    apt-get -q -o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=/dev/null \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root "$@"
}
if [ ! -f "$src/qt6-base_$QT.dsc" ]; then
    aptget update
    (cd "$src" && aptget source --download-only "qt6-base=$QT")
fi
case $prefix in
    "$build"/*) rm -rf "$prefix" ;;
    *) if [ -n "$(ls -A "$prefix" 2>/dev/null)" ]; then
           echo "build-qt.sh: $prefix holds files but no Qt $QT of this script; not building over them" >&2
           exit 1
       fi ;;
esac
rm -rf "$work/src" "$work/build"
mkdir -p "$work/src"
tar -xf "$src"/qt6-base_"$(echo $QT | sed 's/-[^-]*$//')".orig.tar.* -C "$work/src" --strip-components=1
# Three mends to Debian's qtbase 6.4 source for this configuration:
# - Debian's Qt source leaves out the Wintab headers of the tablet support; the Windows plugin is
#   built with Wine's (package libwine-dev, LGPL), which declare the same Wintab interface, behind a
#   header of ours giving them the two Wine macros they use (wintab.h);
# - without OpenGL the Windows plugin must not reach for the dynamic OpenGL loader either;
# - without Direct2D, Qt GUI leaves out its DirectWrite font engine, but the Windows print engine
#   and the Windows plugin still call it and its font database (undefined references when
#   Qt6PrintSupport.dll and qwindows.dll are linked): they are asked for only where Qt GUI has them.
mkdir -p "$work/src/src/3rdparty/wintab"
cp /usr/include/wine/wine/windows/pktdef.h "$work/src/src/3rdparty/wintab/"
cp /usr/include/wine/wine/windows/wintab.h "$work/src/src/3rdparty/wintab/wine-wintab.h"
cp "$here/wintab.h" "$work/src/src/3rdparty/wintab/"
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$work/src/src/plugins/platforms/windows/qwindowswindow.cpp"
sed -i 's/^#if QT_CONFIG(directwrite)$/#if QT_CONFIG(directwrite) \&\& QT_CONFIG(direct2d)/' \
    "$work/src/src/printsupport/platform/windows/qprintengine_win.cpp"
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$work/src/src/plugins/platforms/windows/qwindowsintegration.cpp"
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/../../cmake/mingw-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_icu=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF -DINPUT_openssl=no
nice -n 5 cmake --build "$work/build" -j "${JOBS:-2}"
cmake --install "$work/build"
touch "$prefix/.built-qt6-base-$QT"
