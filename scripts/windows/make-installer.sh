#!/bin/sh
# The Windows installer and zip: stages tolvsys.exe, tolv.exe, the PDF module, the Qt DLLs and
# plugins the program loads, the compiler's runtime DLLs, Qt's Japanese texts and the demo data in
# one folder, then makes tolvsys-<version>-setup.exe (NSIS, packaging/windows/tolvsys.nsi) and
# tolvsys-<version>.zip of the same files (for offices where programs may not be installed).
# Usage: make-installer.sh <Linux build folder> <Windows program build folder> <Qt prefix> <output folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
linux=$(cd "$1" && pwd)
app=$(cd "$2" && pwd)
qt=$(cd "$3" && pwd)
out=$(mkdir -p "$4" && cd "$4" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$app/CMakeCache.txt")
[ -n "$version" ] || { echo "make-installer.sh: no project version in $app/CMakeCache.txt" >&2; exit 1; }
name=tolvsys-$version
stage=$out/stage/$name
rm -rf "$out/stage" "$out/$name-setup.exe" "$out/$name.zip"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations"

cp "$app/bin/tolvsys.exe" "$app/bin/tolv.exe" "$app/bin/tolvpdf.dll" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport; do cp "$qt/bin/$dll.dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/"
done
# Debugging symbols are not shipped (the compiler's runtime DLLs carry theirs).
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
# Qt finds its plugins beside the program and its texts in translations\ (not in its build prefix).
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' > "$stage/qt.conf"
cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
# The demo registration master and sample entry file, as `tolv demo` writes them (the same bytes
# on every system).
home=$out/demo-home
rm -rf "$home"
"$linux/bin/tolv" --home "$home" demo "$stage/demo" >/dev/null
rm -rf "$home"
find "$stage/demo" -name '.*.lock' -delete
sed 's/$/\r/' "$here/../../README.md" > "$stage/README.txt"

# What the installer installs and the uninstaller removes, file by file.
lists=$out/stage
{
    printf '\357\273\277'
    (cd "$stage" && find . -type d | sort) | while read -r d; do
        sub=$(printf '%s' "${d#.}" | tr / '\\')
        printf 'SetOutPath "$INSTDIR%s"\n' "$sub"
        (cd "$stage/$d" && find . -maxdepth 1 -type f | sort) | while read -r f; do
            printf 'File "%s"\n' "$(printf '%s' "$stage/${d#./}/${f#./}" | sed 's#/\./#/#')"
        done
    done
} > "$lists/files.nsh"
{
    printf '\357\273\277'
    (cd "$stage" && find . -type f | sort) | while read -r f; do
        printf 'Delete "$INSTDIR\\%s"\n' "$(printf '%s' "${f#./}" | tr / '\\')"
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
        printf 'RMDir "$INSTDIR\\%s"\n' "$(printf '%s' "${d#./}" | tr / '\\')"
    done
} > "$lists/unfiles.nsh"

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DLISTS="$lists" \
    -DOUT="$out/$name-setup.exe" "$here/../../packaging/windows/tolvsys.nsi"
(cd "$out/stage" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
echo "made $out/$name-setup.exe and $out/$name.zip ($(du -sh "$stage" | cut -f1) of files)"
