// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmintegrity.h"

#include "afickaliaseditor.h"
#include "afickaliasreferences.h"
#include "afickcurrentrule.h"
#include "afickvocabulary.h"
#include "configlinechanges.h"
#include "failurescriptshelper.h"
#include "integritycontrolscriptcaller.h"
#include "servicehelper.h"

#include <KAboutData>
#include <KLocalizedString>

#include <QQmlEngine>
#include <QRegularExpression>

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
    registerSingleton<AfickAliasEditor>("AfickAliasEditor");
    registerSingleton<AfickCurrentRule>("AfickCurrentRule");

    auto *about = new KAboutData(QStringLiteral("kcm_trustwatch"), i18n("Integrity control"), QStringLiteral("1.0"));
    about->addAuthor(i18n("Integrity control developers"), QString(), QStringLiteral("integrity-control@example.org"));
    setAboutData(about);

    setButtons(Help | Apply);

    connect(AfickCurrentRule::instance(), &AfickCurrentRule::attributesChanged, this, &KCMIntegrity::settingsChanged);
    connect(AfickAliasEditor::instance(), &AfickAliasEditor::attributesChanged, this, &KCMIntegrity::settingsChanged);
    // Edits made from a check report reach the rules without the rule editor.
    connect(m_model, &IntegrityFileSystemModel::rulesChanged, this, &KCMIntegrity::settingsChanged);

    // KAuth gives no text when polkit refuses, and an empty message tells the user nothing.
    AfickConfigFileEditor *editor = &m_model->afickConfigEditor();
    connect(editor, &AfickConfigFileEditor::readConfigError, this, [this](const QString &error) {
        Q_EMIT readConfigError(error.isEmpty() ? i18n("Reading the configuration was refused: you are not authorized to do it.") : error);
    });
    connect(editor, &AfickConfigFileEditor::writeConfigError, this, [this](const QString &error) {
        Q_EMIT writeConfigError(error.isEmpty() ? i18n("Saving the configuration was refused: you are not authorized to do it. Your changes are kept.")
                                                : error);
    });
}

IntegrityFileSystemModel *KCMIntegrity::integrityFileSystemModel() const
{
    return m_model;
}

void KCMIntegrity::initAfickSync()
{
    m_configRequested = true;
    m_model->afickConfigEditor().loadConfigAsync();
}

void KCMIntegrity::loadConfig()
{
    m_configRequested = true;
    m_model->reloadConfig();
    settingsChanged();
}

void KCMIntegrity::saveConfig()
{
    m_configRequested = true;
    AfickConfigFileEditor &editor = m_model->afickConfigEditor();
    // Reading the file back after a refused or failed write would throw the
    // user's edits away; they stay, so that Apply can be tried again.
    bool written = true;
    const QMetaObject::Connection failure = connect(&editor, &AfickConfigFileEditor::writeConfigError, this, [&written] {
        written = false;
    });
    editor.saveConfig();
    disconnect(failure);
    if (written) {
        AfickAliasEditor::instance()->clearCurrentAlias();
        m_model->reloadConfig();
    }
    settingsChanged();
}

bool KCMIntegrity::rollbackConfig()
{
    return m_model->afickConfigEditor().rollbackConfig();
}

// The host's Reset: the first load belongs to the interface's initAfickSync(),
// which does not block; later ones discard the edits.
void KCMIntegrity::load()
{
    if (m_configRequested) {
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
    // A name that afick would read as part of a rule or of another alias
    // line would break the lines that use it.
    static const QRegularExpression word(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (name.isEmpty()) {
        return i18n("An alias needs a name.");
    }
    if (!word.match(name).hasMatch()) {
        return i18n("A name may hold only letters, digits and underscores, and may not start with a digit.");
    }
    if (AfickVocabulary::AttributeChoiceNames().contains(name)) {
        return i18n("\"%1\" is the name of an attribute.", name);
    }
    // Renaming onto an existing alias would silently replace it.
    if (AfickAliasEditor::instance()->aliasMap().contains(name)) {
        return i18n("There is already an alias named \"%1\".", name);
    }
    return QString();
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
    if (newName == oldName) {
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
