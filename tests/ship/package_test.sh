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
expected="Brenk.ini Brenk.ini.de Brenk.ini.en brenk.exe brenkrun.exe user-guide.md "
if [ "$contents" != "$expected" ]; then
    echo "FAIL: package holds '$contents', expected '$expected'"
    exit 1
fi
for exe in brenk.exe brenkrun.exe; do
    if x86_64-w64-mingw32-nm "$dir/$exe" 2>&1 | grep -qv 'no symbols'; then
        echo "FAIL: $exe in the package is not stripped"
        exit 1
    fi
done
echo "package: $(wc -c <"$zip") bytes: $contents"

# A Wine program whose server goes away ends with exit code 0, so success is
# the robot's own last word as well as its exit code.
smoke() {
    "$WINE_RUN" "$ROBOT" smoke brenk.exe "$1" >"$work/robot.out" || { cat "$work/robot.out"; exit 1; }
    cat "$work/robot.out"
    if [ "$(tail -n 1 "$work/robot.out" | tr -d '\r')" != OK ]; then
        echo "FAIL: the robot did not finish"
        exit 1
    fi
}

cd "$dir"
export BRENK_BUILD_DIR="$BUILD"
# The console program runs from the package as it is.
version=$("$WINE_RUN" brenkrun.exe --version | tr -d '\r')
[ "$version" = "brenkrun 0.1b" ] || { echo "FAIL: brenkrun.exe --version said '$version'"; exit 1; }
smoke en
cp Brenk.ini.de Brenk.ini
smoke de
