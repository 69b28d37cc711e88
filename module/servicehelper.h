// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

/**
 * Whether the periodic integrity-check unit is enabled.
 *
 * The state is asked from systemd on every read, so the property always shows
 * what systemd says; switching goes through the privileged helper, and the
 * new state arrives with systemd's "UnitFilesChanged".
 */
class ServiceHelper : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isEnable READ isEnable WRITE setIsEnable NOTIFY enableChanged)

public:
    explicit ServiceHelper(QObject *parent = nullptr);

    bool isEnable() const;
    void setIsEnable(bool enable);

Q_SIGNALS:
    void enableChanged(bool isEnabled);

private Q_SLOTS:
    void onUnitFilesChanged();
};
