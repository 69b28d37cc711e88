// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Stands in for libFuzzer where the compiler has none: replays every seed,
// then feeds mutations of the seeds until the time is up. It takes the same
// arguments as a libFuzzer run (files or directories, -max_total_time=N,
// -seed=N; other options are ignored), so one command line serves both.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QVector>

#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace
{
constexpr int MaxInputBytes = 4096;

void run(const QByteArray &input)
{
    // A copy of exactly the input's size, so that a read past its end is
    // one that AddressSanitizer sees.
    QVector<uint8_t> copy(input.begin(), input.end());
    LLVMFuzzerTestOneInput(copy.constData(), size_t(copy.size()));
}

QByteArray mutate(QByteArray input, const QVector<QByteArray> &seeds, QRandomGenerator &random)
{
    const int steps = 1 + random.bounded(4);
    for (int step = 0; step < steps; ++step) {
        const int size = input.size();
        switch (random.bounded(6)) {
        case 0:
            if (size > 0) {
                input.data()[random.bounded(size)] ^= char(1 << random.bounded(8));
            }
            break;
        case 1:
            input.insert(random.bounded(size + 1), char(random.bounded(256)));
            break;
        case 2:
            if (size > 0) {
                const int at = random.bounded(size);
                input.remove(at, 1 + random.bounded(size - at));
            }
            break;
        case 3:
            if (size > 0) {
                const int at = random.bounded(size);
                input.insert(random.bounded(size + 1), input.mid(at, 1 + random.bounded(size - at)));
            }
            break;
        case 4:
            if (!seeds.isEmpty()) {
                const QByteArray &other = seeds.at(random.bounded(seeds.size()));
                input = input.left(random.bounded(size + 1)) + other.mid(random.bounded(other.size() + 1));
            }
            break;
        default: {
            static const char interesting[] = {'\0', '\n', '\r', '/', '=', '+', ' ', '#', '!', ':', '@', '\xff', '\x7f'};
            if (size > 0) {
                input[random.bounded(size)] = interesting[random.bounded(int(sizeof interesting))];
            }
            break;
        }
        }
    }
    return input.left(MaxInputBytes);
}
}

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    int seconds = 0;
    quint32 seed = 1;
    QVector<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.startsWith("-max_total_time=")) {
            seconds = argument.mid(int(std::strlen("-max_total_time="))).toInt();
        } else if (argument.startsWith("-seed=")) {
            seed = argument.mid(int(std::strlen("-seed="))).toUInt();
        } else if (argument.startsWith('-')) {
            continue;
        } else if (QFileInfo(QFile::decodeName(argument)).isDir()) {
            QDirIterator files(QFile::decodeName(argument), QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                QFile file(files.next());
                if (file.open(QIODevice::ReadOnly)) {
                    seeds.append(file.readAll());
                }
            }
        } else {
            QFile file(QFile::decodeName(argument));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 1;
            }
            seeds.append(file.readAll());
        }
    }
    for (const QByteArray &input : qAsConst(seeds)) {
        run(input);
    }
    QRandomGenerator random(seed);
    const QDeadlineTimer deadline(seconds * 1000);
    qint64 runs = seeds.size();
    while (!deadline.hasExpired()) {
        const QByteArray base = seeds.isEmpty() ? QByteArray() : seeds.at(random.bounded(seeds.size()));
        run(mutate(base, seeds, random));
        ++runs;
    }
    std::fprintf(stderr, "Done %lld runs (%d seeds, seed %u)\n", static_cast<long long>(runs), int(seeds.size()), seed);
    return 0;
}
