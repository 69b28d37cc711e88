// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Calls the helper's slots with argument maps decoded from arbitrary bytes,
// as any client on the bus could send them. Every "path" lies in a scratch
// directory that is laid out anew for each input, the system bus address
// leads nowhere (so no systemd is ever asked), and the two script actions,
// which take no arguments and run fixed programs, are left out.
//
// The slots refuse every path but their own, so the scratch paths must come
// back refused; the file operations behind them then get the same arguments
// in process, with the names checked as the rename slot checks them.
//
// Input: the first byte picks the slot; then entries, each a key byte, a
// type byte and a value of a length byte's size. Whatever the bytes, a
// reply is an error without data or a success, and a configuration that was
// written reads back as the same lines.

#include "configfile.h"
#include "failurescriptrenamer.h"
#include "integritysecurityhelper.h"
#include "protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QTemporaryDir *scratch = nullptr;

QString sandbox()
{
    return scratch->filePath(QStringLiteral("sandbox"));
}

class Reader
{
public:
    Reader(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool atEnd() const
    {
        return m_offset >= m_size;
    }
    uint8_t byte()
    {
        return atEnd() ? 0 : m_data[m_offset++];
    }
    QByteArray bytes()
    {
        const size_t wanted = byte();
        const size_t length = std::min(wanted, m_size - m_offset);
        const QByteArray result(reinterpret_cast<const char *>(m_data + m_offset), int(length));
        m_offset += length;
        return result;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_offset = 0;
};

// Only a single name inside the sandbox: the fuzzer must never reach the
// machine's files, whatever the bytes say.
QString confinedPath(const QByteArray &name)
{
    QString leaf = QString::fromUtf8(name);
    leaf.remove(QLatin1Char('/'));
    if (leaf == QLatin1String(".") || leaf == QLatin1String("..")) {
        leaf.clear();
    }
    return sandbox() + QLatin1Char('/') + leaf;
}

QStringList linesOf(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).split(QChar(0x1e));
}

QVariant valueOf(uint8_t type, const QByteArray &bytes, bool isPath)
{
    const QString text = isPath ? confinedPath(bytes) : QString::fromUtf8(bytes);
    switch (type % 9) {
    case 0:
        return QVariant();
    case 1:
        return !bytes.isEmpty() && bytes.at(0) % 2;
    case 2:
        return bytes.isEmpty() ? 0 : int(qFromLittleEndian<qint32>(bytes.leftJustified(4, '\0').constData()));
    case 3:
        return text;
    case 4:
        return isPath ? QStringList{text} : linesOf(bytes);
    case 5:
        return text.toUtf8();
    case 6:
        return double(bytes.size()) / 3;
    case 7:
        return QVariantMap{{text, bytes}};
    default:
        return QVariantList{text, bytes.size()};
    }
}

const QStringList keys{QStringLiteral("path"),
                       QStringLiteral("config"),
                       QStringLiteral("nameFilters"),
                       QStringLiteral("filters"),
                       QStringLiteral("sort"),
                       QStringLiteral("isEnabled"),
                       QStringLiteral("oldName"),
                       QStringLiteral("newName"),
                       QStringLiteral("other")};

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::abort();
    }
}

void layOutSandbox()
{
    QDir(sandbox()).removeRecursively();
    const QDir dir(sandbox());
    if (!dir.mkpath(QStringLiteral("failure.d"))) {
        std::abort();
    }
    writeFile(dir.filePath(QStringLiteral("afick.conf")), "A = p+u\n/etc A\n");
    writeFile(dir.filePath(QStringLiteral("afick.conf.old")), "/etc p\n");
    writeFile(dir.filePath(QStringLiteral("failure.d/mail.sh")), "#!/bin/sh\n");
    writeFile(dir.filePath(QStringLiteral("failure.d/log.sh.disabled")), "#!/bin/sh\n");
    ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600);
    ::symlink("afick.conf", QFile::encodeName(dir.filePath(QStringLiteral("link"))).constData());
}

void expectRefusal(const KAuth::ActionReply &reply)
{
    if (!reply.failed()) {
        std::fprintf(stderr, "a path other than the helper's own was accepted\n");
        std::abort();
    }
}

bool isPlainLine(const QString &line)
{
    for (const QChar c : line) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) {
            return false;
        }
    }
    return true;
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    scratch = new QTemporaryDir;
    if (!scratch->isValid()) {
        std::abort();
    }
    // A relative path that a conversion produces lands in the scratch
    // directory too.
    if (!QDir::setCurrent(scratch->path())) {
        std::abort();
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QFile::encodeName(scratch->filePath(QStringLiteral("no-bus"))));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader reader(data, size);
    const int slot = reader.byte() % 6;
    QVariantMap args;
    while (!reader.atEnd()) {
        const QString key = keys.at(reader.byte() % keys.size());
        const uint8_t type = reader.byte();
        args.insert(key, valueOf(type, reader.bytes(), key == QLatin1String("path")));
    }
    // Every slot that has a default path gets one in the sandbox instead.
    if (!args.contains(QStringLiteral("path"))) {
        args.insert(QStringLiteral("path"), slot == 5 ? confinedPath("failure.d") : confinedPath("afick.conf"));
    }
    layOutSandbox();

    const QString path = args.value(QStringLiteral("path")).toString();
    const ConfigFile file(path);
    IntegritySecurityHelper helper;
    KAuth::ActionReply reply;
    switch (slot) {
    case 0:
        expectRefusal(helper.readafickconfig(args));
        reply = file.read();
        break;
    case 1:
        expectRefusal(helper.writeafickconfig(args));
        reply = file.write(args.value(QStringLiteral("config")).toStringList());
        break;
    case 2:
        expectRefusal(helper.rollbackconfig(args));
        reply = file.restoreBackup();
        break;
    case 3:
        reply = helper.entryinfolist(args);
        break;
    case 4:
        reply = helper.enableservicemethod(args);
        break;
    default: {
        expectRefusal(helper.enablefailurescriptmethod(args));
        const QString oldName = args.value(QStringLiteral("oldName")).toString();
        const QString newName = args.value(QStringLiteral("newName")).toString();
        if (Protocol::isBareName(oldName) && Protocol::isBareName(newName)) {
            reply = FailureScriptRenamer(path).rename(oldName, newName);
        }
        break;
    }
    }
    if (reply.failed() && !reply.data().isEmpty()) {
        std::fprintf(stderr, "an error reply carries data\n");
        std::abort();
    }

    if (slot == 1 && reply.succeeded()) {
        const QStringList lines = args.value(QStringLiteral("config")).toStringList();
        bool plain = true;
        for (const QString &line : lines) {
            plain = plain && isPlainLine(line);
        }
        const KAuth::ActionReply reread = file.read();
        if (plain && reread.data().value(QStringLiteral("config")).toStringList() != lines) {
            std::fprintf(stderr, "a written configuration does not read back\n");
            std::abort();
        }
        struct stat status;
        const QByteArray written = QFile::encodeName(path);
        if (::lstat(written.constData(), &status) != 0 || (status.st_mode & 07777) != 0600) {
            std::fprintf(stderr, "a written configuration is missing or not of mode 0600\n");
            std::abort();
        }
    }
    return 0;
}
