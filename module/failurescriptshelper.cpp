// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "failurescriptshelper.h"

#include "helperrequest.h"
#include "protocol.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace
{
const QLatin1String enabledSuffix(".sh");
const QLatin1String disabledSuffix(".sh.disabled");
const QLatin1String disablingSuffix(".disabled");

QString switchedName(const QString &name, bool enabled)
{
    if (enabled && name.endsWith(disabledSuffix)) {
        return name.left(name.size() - disabledSuffix.size()) + enabledSuffix;
    }
    if (!enabled && name.endsWith(enabledSuffix)) {
        return name + disablingSuffix;
    }
    return name;
}
}

FailureScriptsHelper::FailureScriptsHelper(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    // Adding a missing directory only produces a warning in the log; there
    // is nothing to watch then, as the directory's absence already says.
    if (QFileInfo(Protocol::Path::FailureScripts).isDir()) {
        m_watcher->addPath(Protocol::Path::FailureScripts);
    }
    onFileChanged(Protocol::Path::FailureScripts);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FailureScriptsHelper::onFileChanged);
}

QStringList FailureScriptsHelper::scripts() const
{
    return m_scripts;
}

QString FailureScriptsHelper::scriptsPath() const
{
    return Protocol::Path::FailureScripts;
}

void FailureScriptsHelper::onFileChanged(const QString &path)
{
    m_scripts = QDir(path).entryList(QDir::Files, QDir::Name);
    Q_EMIT filesChanged();
}

void FailureScriptsHelper::enableScript(const QString &name, bool enabled)
{
    const QString newName = switchedName(name, enabled);
    if (newName == name || !Protocol::isBareName(name)) {
        return;
    }
    // With this object as the context, a reply that arrives after the
    // object has gone is dropped instead of reaching a dangling pointer.
    HelperRequest::start(Protocol::Action::EnableFailureScript,
                         {{Protocol::Argument::OldName, name}, {Protocol::Argument::NewName, newName}},
                         this,
                         [this, name, enabled](const HelperReply &reply) {
                             Q_EMIT scriptEnableChanged(name, reply.succeeded() ? enabled : !enabled);
                         });
}

QString FailureScriptsHelper::readableName(const QString &fileName)
{
    for (const QLatin1String suffix : {QLatin1String(".sh.disabled"), QLatin1String(".sh")}) {
        // A file named only ".sh" would be left without a name.
        if (fileName.endsWith(suffix) && fileName.size() > suffix.size()) {
            return fileName.chopped(suffix.size());
        }
    }
    return fileName;
}
