// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QVariantMap>

/**
 * What a KAuth job reported when it ended: the error code (0 on success,
 * -1 for the helper's own error replies, else a KAuth::ActionReply::Error),
 * the job's error string and, on success, the reply's data.
 */
class E2eActionResult
{
public:
    int error = 0;
    QString errorString;
    QVariantMap data;

    bool succeeded() const;
    // One line for failure messages: "error -1 \"text\" data {...}".
    QString describe() const;
};
