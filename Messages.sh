#! /usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Integrity control developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# KDE's message extraction: run with XGETTEXT and podir set, from this
# directory. Both deliverables translate in the domain "kcm_trustwatch", so
# the helper's, the plug-in's and the QML package's texts go into one template.
$XGETTEXT $(find common config helper models module package -name '*.cpp' -o -name '*.h' -o -name '*.qml' | sort) -o "$podir/kcm_trustwatch.pot"
