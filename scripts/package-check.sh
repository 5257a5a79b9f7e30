#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from an existing build folder, lists it, validates its desktop entry
# and AppStream metadata, runs lintian on it, and (as root, in CI) installs it, runs the
# installed command line once and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
(cd "$build" && rm -f belltower_*.deb && cpack -G DEB >/dev/null)
package=$(ls "$build"/belltower_*.deb)
echo "Package: $package"
dpkg-deb --info "$package" | grep -E 'Package|Version|Depends'
dpkg-deb --contents "$package" | awk '{print $6}' | grep -v '/$'
desktop-file-validate packaging/belltower.desktop
appstreamcli validate --no-net --explain "$build"/packaging/*.metainfo.xml
# Errors fail; warnings are printed (see the README for each one's reason).
lintian --fail-on error --tag-display-limit 0 "$package"
if [[ ${CI:-} == true && $(id -u) -eq 0 ]]; then
    dpkg -i "$package" >/dev/null
    /usr/bin/belltower-cli --version
    test -f /usr/share/applications/belltower.desktop
    bash --norc -c 'source /usr/share/bash-completion/completions/belltower-cli && complete -p belltower-cli'
    dpkg -r belltower >/dev/null
    echo "Package installed, ran and removed."
fi
