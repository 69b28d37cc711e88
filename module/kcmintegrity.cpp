// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmintegrity.h"

#include "afickaliaseditor.h"
#include "afickaliasreferences.h"
#include "afickcurrentrule.h"
#include "checkreportmodel.h"
#include "configlinechanges.h"
#include "failurescriptshelper.h"
#include "integritycontrolscriptcaller.h"
#include "protocol.h"
#include "servicehelper.h"

#include <KAboutData>
#include <KLocalizedString>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlEngine>

#include <utility>

namespace
{
// The engine may outlive any one module object, so the provider hands out
// the process-wide instance and keeps the engine from ever deleting it.
template<typename Editor>
QObject *processInstance(QQmlEngine *, QJSEngine *)
{
    QObject *editor = Editor::instance();
    QQmlEngine::setObjectOwnership(editor, QQmlEngine::CppOwnership);
    return editor;
}

template<typename Type>
void registerCreatable(const char *name)
{
    qmlRegisterType<Type>(name, 1, 0, name);
}

template<typename Editor>
void registerSingleton(const char *name)
{
    qmlRegisterSingletonType<Editor>(name, 1, 0, name, &processInstance<Editor>);
}
}

KCMIntegrity::KCMIntegrity(QObject *parent, const QVariantList &args)
    : KQuickAddons::ManagedConfigModule(parent, args)
    , m_model(new IntegrityFileSystemModel(this))
{
    registerCreatable<IntegrityFileSystemModel>("IntegrityFileSystemModel");
    registerCreatable<ServiceHelper>("ServiceHelper");
    registerCreatable<FailureScriptsHelper>("FailureScriptsHelper");
    registerCreatable<IntegrityControlScriptCaller>("IntegrityControlScriptCaller");
    // Made only by the caller, as its report; the page reads its outcomes by name.
    qmlRegisterUncreatableType<CheckReportModel>("IntegrityControlScriptCaller",
                                                 1,
                                                 0,
                                                 "CheckReportModel",
                                                 QStringLiteral("CheckReportModel is the caller's report"));
    registerSingleton<AfickAliasEditor>("AfickAliasEditor");
    registerSingleton<AfickCurrentRule>("AfickCurrentRule");

    auto *about = new KAboutData(QStringLiteral("kcm_trustwatch"), i18nc("@title the settings module's name", "Integrity control"), QStringLiteral("1.0"));
    about->addAuthor(i18nc("@info:credit", "Integrity control developers"), QString(), QStringLiteral("integrity-control@example.org"));
    setAboutData(about);

    setButtons(Help | Apply);
    // Apply writes the file through the helper: the host marks it as needing
    // the administrator, as it does for every module that writes system files.
    setAuthActionName(Protocol::actionId(Protocol::Action::WriteConfig));

    connect(AfickCurrentRule::instance(), &AfickCurrentRule::attributesChanged, this, &KCMIntegrity::settingsChanged);
    connect(AfickAliasEditor::instance(), &AfickAliasEditor::attributesChanged, this, &KCMIntegrity::settingsChanged);
    // The platform theme hands out the fonts the user chose anew when they change.
    if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::fontChanged, this, &KCMIntegrity::fixedWidthFontChanged);
    }
    // Edits made from a check report reach the rules without the rule editor.
    connect(m_model, &IntegrityFileSystemModel::rulesChanged, this, &KCMIntegrity::settingsChanged);

    // KAuth gives no text when polkit refuses, and an empty message tells the user nothing.
    AfickConfigFileEditor *editor = &m_model->afickConfigEditor();
    connect(editor, &AfickConfigFileEditor::readConfigError, this, [this](const QString &error) {
        // During a read it is not yet known whether a message tells of a
        // failed read or of a line not understood.
        if (m_reads > 0) {
            m_readMessages.append(error);
        } else {
            showEditorReadError(error);
        }
    });
    connect(editor, &AfickConfigFileEditor::readFinished, this, &KCMIntegrity::finishRead);
    connect(editor, &AfickConfigFileEditor::writeConfigError, this, [this](const QString &error) {
        Q_EMIT writeConfigError(error.isEmpty() ? i18n("Saving the configuration was refused: you are not authorized to do it. Your changes are kept.")
                                                : error);
    });
}

IntegrityFileSystemModel *KCMIntegrity::integrityFileSystemModel() const
{
    return m_model;
}

bool KCMIntegrity::isReading() const
{
    return m_reads > 0;
}

bool KCMIntegrity::isApplying() const
{
    return m_applying;
}

bool KCMIntegrity::isRollingBack() const
{
    return m_rollingBack;
}

bool KCMIntegrity::isConfigLoaded() const
{
    return m_model->afickConfigEditor().isConfigLoaded();
}

bool KCMIntegrity::readFailed() const
{
    return m_readFailed;
}

QVariantList KCMIntegrity::configProblems() const
{
    return m_configProblems;
}

QFont KCMIntegrity::fixedWidthFont() const
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

void KCMIntegrity::showEditorReadError(const QString &error)
{
    Q_EMIT readConfigError(error.isEmpty() ? i18n("Reading the configuration was refused: you are not authorized to do it.") : error);
}

void KCMIntegrity::beginRead()
{
    m_configRequested = true;
    if (m_reads++ == 0) {
        m_readMessages.clear();
        Q_EMIT activityChanged();
    }
}

void KCMIntegrity::finishRead(bool succeeded)
{
    // A read the editor was asked for by someone else is not counted.
    if (m_reads == 0) {
        return;
    }
    QStringList shown = std::exchange(m_readMessages, {});
    if (succeeded) {
        // The messages of a read that succeeded name the lines they are
        // about, in file order; the rest (an empty file) are shown as they are.
        const QStringList &lines = m_model->afickConfigEditor().configLines();
        QVariantList problems;
        QStringList unplaced;
        int from = 0;
        for (const QString &message : std::as_const(shown)) {
            int found = from;
            while (found < lines.size() && (lines.at(found).trimmed().isEmpty() || !message.endsWith(lines.at(found)))) {
                ++found;
            }
            if (found < lines.size()) {
                problems.append(
                    QVariantMap{{QStringLiteral("line"), found + 1}, {QStringLiteral("text"), lines.at(found)}, {QStringLiteral("message"), message}});
                from = found + 1;
            } else {
                unplaced.append(message);
            }
        }
        m_configProblems = problems;
        shown = unplaced;
    } else if (!isConfigLoaded()) {
        // A failed blocking read leaves no document, and no lines to be about.
        m_configProblems.clear();
    }
    m_readFailed = !succeeded;
    --m_reads;
    // The state first: the page clears the messages of earlier reads when
    // one succeeds, and this read's own messages follow.
    Q_EMIT configProblemsChanged();
    Q_EMIT configStateChanged();
    for (const QString &message : std::as_const(shown)) {
        showEditorReadError(message);
    }
    if (m_reads == 0) {
        Q_EMIT activityChanged();
    }
}

void KCMIntegrity::setApplying(bool applying)
{
    m_applying = applying;
    Q_EMIT activityChanged();
}

void KCMIntegrity::setRollingBack(bool rollingBack)
{
    m_rollingBack = rollingBack;
    Q_EMIT activityChanged();
}

void KCMIntegrity::initAfickSync()
{
    beginRead();
    m_model->afickConfigEditor().loadConfigAsync();
}

void KCMIntegrity::loadConfig()
{
    beginRead();
    m_model->reloadConfig();
    settingsChanged();
}

void KCMIntegrity::saveConfig()
{
    m_configRequested = true;
    setApplying(true);
    AfickConfigFileEditor &editor = m_model->afickConfigEditor();
    // Reading the file back after a refused or failed write would throw the
    // user's edits away; they stay, so that Apply can be tried again.
    bool written = true;
    const QMetaObject::Connection failure = connect(&editor, &AfickConfigFileEditor::writeConfigError, this, [&written] {
        written = false;
    });
    editor.saveConfig();
    disconnect(failure);
    setApplying(false);
    if (written) {
        AfickAliasEditor::instance()->clearCurrentAlias();
        loadConfig();
    } else {
        settingsChanged();
    }
}

bool KCMIntegrity::rollbackConfig()
{
    setRollingBack(true);
    const bool restored = m_model->afickConfigEditor().rollbackConfig();
    setRollingBack(false);
    return restored;
}

// The host's Reset. Its first call comes when the module opens: the file is
// then read once, in the background, so that the window stays responsive; a
// read still on its way already shows the file as it is. Later calls discard
// the edits.
void KCMIntegrity::load()
{
    if (!m_configRequested) {
        initAfickSync();
    } else if (m_reads == 0) {
        loadConfig();
    }
    ManagedConfigModule::load();
}

// The host's Apply: the base writes no settings of its own, so the
// configuration has to be written here. Before anything was loaded there is
// nothing to write.
void KCMIntegrity::save()
{
    if (m_configRequested) {
        saveConfig();
    }
    ManagedConfigModule::save();
    // The host marks everything saved once save() has returned; edits that a
    // refused or failed write kept must enable Apply again after that, or
    // leaving the module would drop them without a word.
    if (isSaveNeeded()) {
        QMetaObject::invokeMethod(this, &KCMIntegrity::settingsChanged, Qt::QueuedConnection);
    }
}

QVariantMap KCMIntegrity::pendingChanges() const
{
    const AfickConfigFileEditor &editor = m_model->afickConfigEditor();
    // The save writes nothing before a configuration was read.
    if (!editor.isConfigLoaded()) {
        return {{QStringLiteral("removed"), QStringList()}, {QStringLiteral("added"), QStringList()}};
    }
    const ConfigLineChanges changes = ConfigLineChanges::between(editor.configLines(), editor.linesToSave());
    return {{QStringLiteral("removed"), changes.removed}, {QStringLiteral("added"), changes.added}};
}

QString KCMIntegrity::aliasNameProblem(const QString &name) const
{
    return AfickAliasEditor::instance()->newNameProblem(name);
}

QVariantMap KCMIntegrity::aliasUsers(const QString &name) const
{
    return {
        {QStringLiteral("rules"), AfickAliasReferences::rulesUsing(name, m_model->afickConfigEditor().currentRules())},
        {QStringLiteral("aliases"), AfickAliasReferences::aliasesUsing(name, AfickAliasEditor::instance()->aliasMap())},
    };
}

void KCMIntegrity::deleteAlias(const QString &name)
{
    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    AfickAliasMap map = aliases->aliasMap();
    if (map.remove(name) == 0) {
        return;
    }
    if (aliases->currentAlias() == name) {
        aliases->clearCurrentAlias();
    }
    aliases->setAliasMap(map);
}

void KCMIntegrity::renameCurrentAlias(const QString &newName)
{
    AfickAliasEditor *aliases = AfickAliasEditor::instance();
    const QString oldName = aliases->currentAlias();
    if (newName == oldName || !aliases->newNameProblem(newName).isEmpty()) {
        return;
    }
    const QStringList paths = AfickAliasReferences::rename(oldName, newName, m_model->afickConfigEditor().currentRules(), aliases->aliasMap());
    // Announces the alias editor's change, which asks whether to save.
    aliases->renameCurrentAlias(newName);
    for (const QString &path : paths) {
        m_model->announceRuleChanges(path);
    }
}

bool KCMIntegrity::isSaveNeeded() const
{
    return m_model->afickConfigEditor().hasChanges();
}
