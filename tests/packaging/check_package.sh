#!/usr/bin/env bash
# Validates the desktop entry and the metainfo, builds the Debian package from the build
# tree and reads it back: the files a desktop needs, and the programs the package needs.
set -euo pipefail
source_dir=$1
build_dir=$2
app_id=org.quillbook.Quillbook

desktop-file-validate "$source_dir/packaging/$app_id.desktop"
appstreamcli validate --no-net "$source_dir/packaging/$app_id.metainfo.xml"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build_dir/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/quillbook_*.deb)

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/quillbook \
            ./usr/share/applications/$app_id.desktop \
            ./usr/share/metainfo/$app_id.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/$app_id.png \
            ./usr/share/icons/hicolor/256x256/apps/$app_id.png \
            ./usr/share/icons/hicolor/scalable/apps/$app_id.svg; do
    grep -qxF "$file" <<<"$contents" || { echo "the package lacks $file"; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libzip4 libxml2 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins qt6-translations-l10n; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || { echo "Depends lacks $package: $depends"; exit 1; }
done
for field in Maintainer Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || { echo "no $field"; exit 1; }
done
echo "package $(basename "$deb"): files and dependencies as expected"
