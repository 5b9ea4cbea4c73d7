#!/bin/sh
# The small libraries of the Windows build, built from Debian's sources (bookworm) with MinGW-w64
# into a prefix of the build folder, each as a static library:
#   pugixml, libzip (with MinGW's zlib), libcsv, GoogleTest, and shapelib's DBF API; and the
#   headers of nlohmann/json (the Debian package's, headers only).
# Debian's shapelib source package is not on the archive mirror (its .orig is missing), so the DBF
# API comes from the copy of shapelib inside Debian's gdal source package (only that folder is
# unpacked), with stdio file hooks of our own (shapelib-hooks.c).
#
# The sources are fetched with apt-get through an apt configuration of the build folder's own
# (sources.list, lists and cache under <build>/apt), so the machine's apt setup stays as it is.
# A library is built again only when its source version below changes (a stamp per version).
#
# Usage: build-deps.sh <build folder>   (the prefix is <build folder>/deps/prefix)
set -eu

build=$(mkdir -p "$1" && cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$here/../../cmake/mingw-w64.cmake
apt=$build/apt
src=$build/deps/src
work=$build/deps/work
prefix=$build/deps/prefix
jobs=${JOBS:-2}
host=x86_64-w64-mingw32

# Source package versions (Debian bookworm).
PUGIXML=1.13-0.2
LIBZIP=1.7.3-1
LIBCSV=3.0.3+dfsg-6
GOOGLETEST=1.12.1-0.2
GDAL=3.6.2+dfsg-1

mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$src" "$work" "$prefix"
echo "deb-src http://deb.debian.org/debian bookworm main" > "$apt/sources.list"
aptget() {
    apt-get -q -o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=/dev/null \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root "$@"
}
listed=no

# fetch <package> <version>: the .dsc and its files into $src (once).
fetch() {
    [ -f "$src/$1_$(echo "$2" | sed 's/^[0-9]*://').dsc" ] && return 0
    if [ $listed = no ]; then aptget update; listed=yes; fi
    (cd "$src" && aptget source --download-only "$1=$2")
}

# unpack <package> <version>: the source tree with Debian's patches applied, in $work/<package>.
unpack() {
    rm -rf "$work/$1"
    dpkg-source --no-check -x "$src/$1_$2.dsc" "$work/$1" >/dev/null
}

stamp() { echo "$prefix/.built-$1-$2"; }
done_already() { [ -f "$(stamp "$1" "$2")" ]; }
mark() { rm -f "$prefix/.built-$1-"*; touch "$(stamp "$1" "$2")"; }

cmake_build() {  # cmake_build <source dir> <cmake options...>
    dir=$1; shift
    cmake -S "$dir" -B "$dir/_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
    nice -n 5 cmake --build "$dir/_build" -j "$jobs" >/dev/null
    cmake --install "$dir/_build" >/dev/null
}

if ! done_already pugixml $PUGIXML; then
    fetch pugixml $PUGIXML && unpack pugixml $PUGIXML
    cmake_build "$work/pugixml" -DPUGIXML_BUILD_TESTS=OFF
    mark pugixml $PUGIXML
    echo "pugixml $PUGIXML built"
fi

if ! done_already libzip $LIBZIP; then
    fetch libzip $LIBZIP && unpack libzip $LIBZIP
    cmake_build "$work/libzip" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
        -DENABLE_WINDOWS_CRYPTO=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_DOC=OFF -DZLIB_LIBRARY=/usr/$host/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$host/include
    mark libzip $LIBZIP
    echo "libzip $LIBZIP built"
fi

if ! done_already libcsv $LIBCSV; then
    fetch libcsv $LIBCSV && unpack libcsv $LIBCSV
    (cd "$work/libcsv" && $host-gcc-posix -O2 -c libcsv.c -o libcsv.o && rm -f libcsv.a &&
        $host-gcc-ar-posix rcs libcsv.a libcsv.o)
    mkdir -p "$prefix/include" "$prefix/lib"
    cp "$work/libcsv/csv.h" "$prefix/include/" && cp "$work/libcsv/libcsv.a" "$prefix/lib/"
    mark libcsv $LIBCSV
    echo "libcsv $LIBCSV built"
fi

if ! done_already googletest $GOOGLETEST; then
    fetch googletest $GOOGLETEST && unpack googletest $GOOGLETEST
    cmake_build "$work/googletest" -DINSTALL_GTEST=ON -DBUILD_GMOCK=ON
    mark googletest $GOOGLETEST
    echo "googletest $GOOGLETEST built"
fi

# nlohmann/json is headers only: those of the Debian package (nlohmann-json3-dev) serve as they are.
mkdir -p "$prefix/include"
cp -rp /usr/include/nlohmann "$prefix/include/"  # times kept: a later run rebuilds nothing

if ! done_already shapelib-gdal $GDAL; then
    fetch gdal $GDAL
    orig=$(ls "$src"/gdal_"$(echo $GDAL | sed 's/-[^-]*$//')".orig.tar.*)
    rm -rf "$work/gdal" && mkdir -p "$work/gdal"
    tar -xf "$orig" -C "$work/gdal" --strip-components=1 --wildcards '*/ogr/ogrsf_frmts/shape/*'
    shp=$work/gdal/ogr/ogrsf_frmts/shape
    (cd "$shp" && $host-gcc-posix -O2 -I. -c dbfopen.c -o dbfopen.o &&
        $host-gcc-posix -O2 -I. -c "$here/shapelib-hooks.c" -o hooks.o &&
        rm -f libshp.a && $host-gcc-ar-posix rcs libshp.a dbfopen.o hooks.o)
    mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
    cp "$shp/shapefil.h" "$prefix/include/" && cp "$shp/libshp.a" "$prefix/lib/"
    printf 'prefix=%s\nName: shapelib\nDescription: DBF API of shapelib (from gdal %s)\nVersion: %s\nLibs: -L${prefix}/lib -lshp\nCflags: -I${prefix}/include\n' \
        "$prefix" "$GDAL" "$GDAL" > "$prefix/lib/pkgconfig/shapelib.pc"
    mark shapelib-gdal $GDAL
    echo "shapelib (DBF API of gdal $GDAL) built"
fi
