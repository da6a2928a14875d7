#!/usr/bin/env bash
# Installs what building, running and testing Quillbook need on Debian 12.
# Installs only what is missing, so a second run costs a second.
set -euo pipefail

packages=(
    cmake g++ make                       # build
    qt6-base-dev qt6-base-dev-tools      # Qt 6: Core, Gui, Widgets, PrintSupport, Xml, Test, uic, moc
    qt6-translations-l10n                # Qt's own buttons and dialogs in Italian
    libgl-dev                            # needed by Qt 6 Gui's CMake files
    libzip-dev pkgconf                   # backup archives
    libxml2-dev libxml2-utils            # the electronic invoice's schema check; xmllint for its tests
    zip unzip                            # the backup tests make and check archives with them
    xvfb xauth                           # a display for running the window without a desktop
    fonts-liberation fonts-dejavu-core   # fonts with the metrics of the printed page
    locales                              # the tests parse numbers under several locales
    desktop-file-utils appstream         # validate the desktop entry and the metainfo
    dpkg-dev file                        # build the Debian package with its dependencies
    clang libfuzzer-14-dev libclang-rt-14-dev  # fuzz the record reader
    poppler-utils                        # the printing tests read the PDF pages back
)
wanted_locales=(it_IT.UTF-8 en_US.UTF-8)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

generate=0
for wanted in "${wanted_locales[@]}"; do
    # locale -a spells them "it_IT.utf8"
    if ! locale -a 2>/dev/null | grep -qix "${wanted%%.*}.utf8"; then
        as_root sed -i "s/^# *\(${wanted} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${wanted} UTF-8" /etc/locale.gen || echo "${wanted} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        generate=1
    fi
done
if [ "$generate" -eq 1 ]; then
    as_root locale-gen >/dev/null
fi
