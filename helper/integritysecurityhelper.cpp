// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "integritysecurityhelper.h"

#include "argumenttypes.h"
#include "calleraccess.h"
#include "callerlanguages.h"
#include "configfile.h"
#include "directorylister.h"
#include "errorreply.h"
#include "failurescriptrenamer.h"
#include "protocol.h"
#include "requestedpath.h"
#include "scriptrunner.h"
#include "unitfileswitch.h"

#include <KAuth/HelperSupport>
#include <KLocalizedString>

#include <clocale>

namespace
{
constexpr int ScriptTimeLimitMs = 30000;

// One helper process serves requests of several callers in turn, so every
// action sets the language afresh: the caller's when it sent a valid one,
// English otherwise.
void useCallerLanguages(const QVariantMap &args)
{
    const QStringList languages = CallerLanguages::fromArguments(args);
    if (languages.isEmpty()) {
        KLocalizedString::setLanguages({QStringLiteral("en_US")});
        return;
    }
    // The cleared environment of a bus-activated helper leaves the "C"
    // locale, under which gettext ignores the LANGUAGE variable that KI18n
    // chooses its catalogue with. Only messages change; without C.UTF-8 the
    // helper stays English.
    const char *messages = std::setlocale(LC_MESSAGES, nullptr);
    if (!messages || qstrcmp(messages, "C") == 0 || qstrcmp(messages, "POSIX") == 0) {
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    }
    KLocalizedString::setLanguages(languages);
}

QString configPath(const QVariantMap &args)
{
    return args.value(Protocol::Argument::Path, QString(Protocol::Path::AfickConfig)).toString();
}

// A caller may ask for less of a script's output, never for more.
std::optional<qint64> outputLimit(const QVariantMap &args)
{
    const QVariant value = args.value(Protocol::Argument::OutputLimit);
    if (!value.isValid()) {
        return OutputStream::DefaultLimitBytes;
    }
    // Checked, not converted, as every other argument is.
    if (value.userType() != QMetaType::LongLong) {
        return std::nullopt;
    }
    const qint64 limit = value.toLongLong();
    if (limit <= 0 || limit > OutputStream::DefaultLimitBytes) {
        return std::nullopt;
    }
    return limit;
}

KAuth::ActionReply refuseOutputLimit(const QString &program)
{
    return errorReply(i18n("Script %1 was not started: the output limit must be a number of bytes from 1 to %2.", program, OutputStream::DefaultLimitBytes));
}

// The caller reads the output while the script still runs.
void sendProgress(const QVariantMap &data)
{
    KAuth::HelperSupport::progressStep(data);
}

std::optional<KAuth::ActionReply> refuseForeignConfig(const QVariantMap &args)
{
    return refuseForeignPath(args, Protocol::Path::AfickConfig);
}
}

IntegritySecurityHelper::IntegritySecurityHelper(CallerUid callerUid)
    : m_callerUid(callerUid)
{
}

KAuth::ActionReply IntegritySecurityHelper::readafickconfig(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args, {{Protocol::Argument::Path, QMetaType::QString}})) {
        return *refusal;
    }
    if (const auto refusal = refuseForeignConfig(args)) {
        return *refusal;
    }
    return ConfigFile(configPath(args)).read();
}

KAuth::ActionReply IntegritySecurityHelper::writeafickconfig(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args,
                                                             {{Protocol::Argument::Path, QMetaType::QString},
                                                              {Protocol::Argument::Config, QMetaType::QStringList},
                                                              {Protocol::Argument::RawConfig, QMetaType::QByteArray}})) {
        return *refusal;
    }
    if (const auto refusal = refuseForeignConfig(args)) {
        return *refusal;
    }
    // Bytes are written as they are, so that lines nobody edited keep
    // whatever encoding and line ends they had.
    const auto content = args.constFind(Protocol::Argument::RawConfig);
    if (content != args.constEnd()) {
        return ConfigFile(configPath(args)).write(content->toByteArray());
    }
    // Only an explicit list empties the file: a request that lost its lines
    // on the way must not wipe the configuration.
    const auto config = args.constFind(Protocol::Argument::Config);
    if (config == args.constEnd()) {
        return errorReply(i18n("Can't write \"%1\": the request holds no configuration lines.", configPath(args)));
    }
    return ConfigFile(configPath(args)).write(config->toStringList());
}

KAuth::ActionReply IntegritySecurityHelper::rollbackconfig(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args, {{Protocol::Argument::Path, QMetaType::QString}})) {
        return *refusal;
    }
    if (const auto refusal = refuseForeignConfig(args)) {
        return *refusal;
    }
    return ConfigFile(configPath(args)).restoreBackup();
}

KAuth::ActionReply IntegritySecurityHelper::entryinfolist(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args,
                                                             {{Protocol::Argument::Path, QMetaType::QString},
                                                              {Protocol::Argument::NameFilters, QMetaType::QStringList},
                                                              {Protocol::Argument::Filters, QMetaType::Int},
                                                              {Protocol::Argument::Sort, QMetaType::Int}})) {
        return *refusal;
    }
    const QString path = args.value(Protocol::Argument::Path, QString(Protocol::Path::ListingRoot)).toString();
    const QStringList nameFilters = args.value(Protocol::Argument::NameFilters).toStringList();
    const int filters = args.value(Protocol::Argument::Filters, -1).toInt();
    const int sort = args.value(Protocol::Argument::Sort, -1).toInt();
    // Every entry is matched against every pattern: a flood of long
    // patterns over a huge directory would keep every caller waiting.
    if (nameFilters.size() > DirectoryLister::MaxNameFilters) {
        return errorReply(
            i18n("\"%1\" is not listed: %2 name patterns are more than the %3 the helper accepts.", path, nameFilters.size(), DirectoryLister::MaxNameFilters));
    }
    for (const QString &pattern : nameFilters) {
        if (pattern.size() > DirectoryLister::MaxNameFilterLength) {
            return errorReply(i18n("\"%1\" is not listed: a name pattern of %2 characters is longer than the %3 the helper accepts.",
                                   path,
                                   pattern.size(),
                                   DirectoryLister::MaxNameFilterLength));
        }
    }
    return DirectoryLister::list(path,
                                 nameFilters,
                                 QDir::Filters(QFlag(filters)),
                                 QDir::SortFlags(QFlag(sort)),
                                 CallerAccess::forUid(m_callerUid ? m_callerUid() : -1));
}

KAuth::ActionReply IntegritySecurityHelper::initializeafickdatabasemethod(const QVariantMap &args)
{
    useCallerLanguages(args);
    const std::optional<qint64> limit = outputLimit(args);
    if (!limit) {
        return refuseOutputLimit(Protocol::Path::DatabaseScript);
    }
    return ScriptRunner(Protocol::Path::DatabaseScript, ScriptTimeLimitMs, *limit).run(sendProgress);
}

KAuth::ActionReply IntegritySecurityHelper::checkintegritymethod(const QVariantMap &args)
{
    useCallerLanguages(args);
    const std::optional<qint64> limit = outputLimit(args);
    if (!limit) {
        return refuseOutputLimit(Protocol::Path::CheckScript);
    }
    return ScriptRunner(Protocol::Path::CheckScript, ScriptTimeLimitMs, *limit).run(sendProgress);
}

KAuth::ActionReply IntegritySecurityHelper::enableservicemethod(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args, {{Protocol::Argument::IsEnabled, QMetaType::Bool}})) {
        return *refusal;
    }
    return UnitFileSwitch::setEnabled(args.value(Protocol::Argument::IsEnabled).toBool());
}

KAuth::ActionReply IntegritySecurityHelper::enablefailurescriptmethod(const QVariantMap &args)
{
    useCallerLanguages(args);
    if (const auto refusal = ArgumentTypes::refuseWrongTypes(args,
                                                             {{Protocol::Argument::Path, QMetaType::QString},
                                                              {Protocol::Argument::OldName, QMetaType::QString},
                                                              {Protocol::Argument::NewName, QMetaType::QString}})) {
        return *refusal;
    }
    if (const auto refusal = refuseForeignPath(args, Protocol::Path::FailureScripts)) {
        return *refusal;
    }
    const QString oldName = args.value(Protocol::Argument::OldName).toString();
    const QString newName = args.value(Protocol::Argument::NewName).toString();
    if (!Protocol::isBareName(oldName) || !Protocol::isBareName(newName)) {
        return KAuth::ActionReply::InvalidActionReply();
    }
    return FailureScriptRenamer(Protocol::Path::FailureScripts).rename(oldName, newName);
}
