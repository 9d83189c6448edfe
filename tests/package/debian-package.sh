#!/usr/bin/env bash
# debian-package.sh BUILD VERSION: builds the Debian package from the build tree, unpacks it into a
# temporary root as dpkg would install it, runs the installed quorvanectl and checks that every file is
# where desktops and Debian look for it, and that nothing else (the simulator, the tests) went in.
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$(find "$work/out" -maxdepth 1 -name "quorvane_${version}_*.deb")
[[ -n $deb ]] || { echo "FAIL: no quorvane_${version}_*.deb"; ls "$work/out"; exit 1; }
dpkg -x "$deb" "$work/root"
root=$work/root

[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in adb libc6 libqt6widgets6 libqt6svg6; do
    [[ $depends =~ (^|, )$dependency( |,|$) ]] || fail "Depends lacks $dependency: $depends"
done

output=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quorvanectl" --version 2>&1) || true
[[ $output == "quorvanectl $version" ]] || fail "installed quorvanectl --version printed '$output'"

id=app.quorvane.Quorvane
expected=(
    usr/bin/quorvane
    usr/bin/quorvanectl
    usr/share/applications/$id.desktop
    usr/share/bash-completion/completions/quorvanectl
    usr/share/doc/quorvane/changelog.gz
    usr/share/doc/quorvane/copyright
    usr/share/icons/hicolor/scalable/apps/$id.svg
    usr/share/man/man1/quorvane.1.gz
    usr/share/man/man1/quorvanectl.1.gz
    usr/share/metainfo/$id.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
    png=usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    expected+=("$png")
    [[ -f $root/$png ]] && { file "$root/$png" | grep -q "PNG image data, $size x $size" || fail "$png is not ${size}x$size"; }
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "the package holds other files than these (< expected, > found)"

# The pieces name each other: the entry starts an installed program with an installed icon, and the
# metainfo launches the installed entry.
desktop=$root/usr/share/applications/$id.desktop
[[ -x $root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop") ]] || fail "Exec= names no installed program"
[[ $(sed -n 's/^Icon=//p' "$desktop") == "$id" ]] || fail "Icon= is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo has no release $version"
zcat "$root/usr/share/doc/quorvane/changelog.gz" | grep -q "^quorvane ($version)" || fail "changelog.gz is not of $version"
for page in quorvane quorvanectl; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1 .*Quorvane $version" ||
        fail "$page.1 is not the manual page of $version"
done
grep -q "Permission is hereby granted" "$root/usr/share/doc/quorvane/copyright" || fail "copyright lacks the licence"

[[ $failures -eq 0 ]] && echo "quorvane_$version: package installs as expected"
[[ $failures -eq 0 ]]
