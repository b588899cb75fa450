#!/bin/sh
# Builds the user's ZIP, unpacks it into an empty folder and runs brenk.exe
# from there under Wine, as a user would: first with the Brenk.ini it ships
# (English), then with the German sample in its place.
#   package_test.sh <build-dir> <ship_robot.exe>
set -eu
BUILD=$(cd "$1" && pwd)
ROBOT=$2
WINE_RUN=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G ZIP --config "$BUILD/CPackConfig.cmake" -B "$work/out" >/dev/null
zip="$work/out/Brenk-0.1b-win64.zip"
[ -f "$zip" ] || { echo "FAIL: no $zip"; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && unzip -q "$zip")
dir="$work/unpacked/Brenk-0.1b-win64"

contents=$(cd "$dir" && ls | sort | tr '\n' ' ')
expected="Brenk.ini Brenk.ini.de Brenk.ini.en brenk.exe user-guide.md "
if [ "$contents" != "$expected" ]; then
    echo "FAIL: package holds '$contents', expected '$expected'"
    exit 1
fi
if x86_64-w64-mingw32-nm "$dir/brenk.exe" 2>&1 | grep -qv 'no symbols'; then
    echo "FAIL: brenk.exe in the package is not stripped"
    exit 1
fi
echo "package: $(wc -c <"$zip") bytes: $contents"

cd "$dir"
export BRENK_BUILD_DIR="$BUILD"
"$WINE_RUN" "$ROBOT" smoke brenk.exe en
cp Brenk.ini.de Brenk.ini
"$WINE_RUN" "$ROBOT" smoke brenk.exe de
