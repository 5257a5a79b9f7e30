#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from an existing build folder, lists it, and (as root, in CI)
# installs it, runs the installed command line once and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
(cd "$build" && rm -f belltower_*.deb && cpack -G DEB >/dev/null)
package=$(ls "$build"/belltower_*.deb)
echo "Package: $package"
dpkg-deb --info "$package" | grep -E 'Package|Version|Depends'
dpkg-deb --contents "$package" | awk '{print $6}' | grep -v '/$'
if [[ ${CI:-} == true && $(id -u) -eq 0 ]]; then
    dpkg -i "$package" >/dev/null
    /usr/bin/belltower-cli --version
    test -f /usr/share/applications/belltower.desktop
    dpkg -r belltower >/dev/null
    echo "Package installed, ran and removed."
fi
