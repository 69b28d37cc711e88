#!/bin/sh
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Installs every Debian 12 package that building, testing and the sandbox need.
set -eu

packages="
    build-essential cmake ninja-build pkg-config gettext
    extra-cmake-modules
    qtbase5-dev qtdeclarative5-dev qttools5-dev-tools
    libkf5auth-dev libkf5coreaddons-dev libkf5i18n-dev libkf5declarative-dev
    libkf5package-dev libkf5kcmutils-dev libkf5itemmodels-dev libkf5doctools-dev
    clang clang-format libclang-rt-14-dev
    dbus dbus-daemon dbus-bin polkitd util-linux procps psmisc
    kde-cli-tools
    qml-module-org-kde-kirigami2 qml-module-org-kde-kcm qml-module-org-kde-kcmutils
    qml-module-org-kde-kitemmodels qml-module-org-kde-qqc2desktopstyle
    qml-module-org-kde-kquickcontrolsaddons
    qml-module-qtquick-controls2 qml-module-qtquick-layouts qml-module-qtquick-dialogs
    qml-module-qtquick-window2 qml-module-qttest qml-module-qtqml-models2
    breeze-icon-theme xvfb xauth x11-utils imagemagick xdotool
    qttranslations5-l10n
    valgrind reuse
"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing
fi
