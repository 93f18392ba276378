#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo must pass their validators.
set -eu
cd "$SRC/dist"
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate missing"; exit 77; }
command -v appstreamcli >/dev/null || { echo "appstreamcli missing"; exit 77; }
desktop-file-validate io.github.parvane.Parvane.desktop
appstreamcli validate --no-net io.github.parvane.Parvane.metainfo.xml
