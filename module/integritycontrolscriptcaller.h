// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

/**
 * Runs the two maintenance scripts through the privileged helper: the
 * initialisation of the integrity database and an integrity check now.
 *
 * Each call blocks until the helper has replied and reports a failure through
 * its error signal, before it returns, with a text that can be shown as it is.
 */
class IntegrityControlScriptCaller : public QObject
{
    Q_OBJECT

public:
    explicit IntegrityControlScriptCaller(QObject *parent = nullptr);

    Q_INVOKABLE bool initializeAfickDatabase();
    Q_INVOKABLE bool checkIntegrity();

Q_SIGNALS:
    void initializeError(const QString &error);
    void integrityError(const QString &error);
};
