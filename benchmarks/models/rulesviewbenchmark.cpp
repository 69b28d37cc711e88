// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Times what a user waits for in the Rules view: a ListView over
// KDescendantsProxyModel over the integrity file-system model, as the page
// has it. Opening a folder of many entries (listing it and expanding it)
// until its rows are painted, collapsing it, and expanding it again, set
// against the listing alone; and a reload of the rules (as after Apply) with
// the folder open, which keeps it open. The entries are handed to the tree in-process,
// encoded as the helper encodes them.
//
// Run: rulesviewbenchmark [ENTRIES]   (default 20000; target: each view
// figure at most 1.5 times the listing alone)

#include "entryinfo.h"
#include "helperrequest.h"
#include "integrityfilesystemmodel.h"
#include "polkitfilesystemtreeitem.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTextStream>

namespace
{
const QString bigDirectory = QStringLiteral("/big");
constexpr int Repetitions = 3;

QByteArray encoded(const QString &path, const QString &name, const QString &icon)
{
    EntryInfo entry;
    entry.setFilePath(path);
    entry.setFileName(name);
    entry.setIconName(icon);
    entry.setPermissions(0x6600);
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << entry;
    return bytes;
}

// The page's own arrangement, without its styling.
const QByteArray viewQml =
    "import QtQuick 2.15\n"
    "import org.kde.kitemmodels 1.0 as KItemModels\n"
    "ListView {\n"
    "    width: 800; height: 600\n"
    "    model: KItemModels.KDescendantsProxyModel { model: source; expandsByDefault: false }\n"
    "    delegate: Text { width: ListView.view.width; height: 24; text: model.fileName + ' ' + model.integrityAttributes }\n"
    "}\n";

// Paints once, so that "shown" means on screen, not merely in the model.
void paint(QQuickView &view)
{
    QSignalSpy swapped(&view, &QQuickWindow::frameSwapped);
    view.update();
    swapped.wait(5000);
}

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// The model lists "/" in the background.
void waitForRoot(IntegrityFileSystemModel &model)
{
    QSignalSpy listed(&model, &PolkitFileSystemModel::rootPathChanged);
    listed.wait(5000);
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
    QGuiApplication app(argc, argv);
    const int count = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : 20000;

    QVariantList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("file-%1.conf").arg(i, 6, 10, QLatin1Char('0'));
        entries.append(encoded(bigDirectory + QLatin1Char('/') + name, name, QStringLiteral("text-plain")));
    }
    const QVariantList root{encoded(bigDirectory, QStringLiteral("big"), QStringLiteral("inode-directory"))};
    PolkitFileSystemTreeItem::setListingRequest([&](const QVariantMap &arguments) {
        const bool big = arguments.value(QStringLiteral("path")).toString() == bigDirectory;
        return HelperReply{0, QString(), {{QStringLiteral("entryinfolist"), big ? entries : root}}};
    });
    const QStringList config{bigDirectory + QStringLiteral("/file-000001.conf p+u"), bigDirectory + QStringLiteral(" R")};

    QTextStream out(stdout);
    out << "Rules view, a folder of " << count << " entries, ms (listing alone / open until painted / collapse / expand again / reload of the rules):\n";
    for (int run = 1; run <= Repetitions; ++run) {
        double listing = 0;
        {
            IntegrityFileSystemModel model;
            waitForRoot(model);
            model.afickConfigEditor().applyConfigLines(config);
            QElapsedTimer timer;
            timer.start();
            model.loadDirectory(bigDirectory);
            listing = ms(timer);
        }

        IntegrityFileSystemModel model;
        waitForRoot(model);
        model.afickConfigEditor().applyConfigLines(config);
        QQuickView view;
        view.rootContext()->setContextProperty(QStringLiteral("source"), &model);
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        QQmlComponent component(view.engine());
        component.setData(viewQml, QUrl());
        auto *list = qobject_cast<QQuickItem *>(component.create(view.rootContext()));
        if (!list) {
            qFatal("%s", qPrintable(component.errorString()));
        }
        view.setContent(QUrl(), &component, list);
        view.resize(800, 600);
        view.show();
        paint(view);
        QObject *proxy = list->property("model").value<QObject *>();

        QElapsedTimer timer;
        timer.start();
        // As the page opens a folder: list it, then expand its row.
        model.loadDirectory(bigDirectory);
        QMetaObject::invokeMethod(proxy, "expandChildren", Q_ARG(int, 0));
        paint(view);
        const double open = ms(timer);
        if (list->property("count").toInt() != count + 1) {
            qFatal("the view shows %d rows, not %d", list->property("count").toInt(), count + 1);
        }

        timer.restart();
        QMetaObject::invokeMethod(proxy, "collapseChildren", Q_ARG(int, 0));
        paint(view);
        const double collapse = ms(timer);

        timer.restart();
        QMetaObject::invokeMethod(proxy, "expandChildren", Q_ARG(int, 0));
        paint(view);
        const double expand = ms(timer);

        timer.restart();
        model.afickConfigEditor().applyConfigLines(config);
        Q_EMIT model.afickConfigEditor().initEnd();
        paint(view);
        const double reload = ms(timer);
        if (list->property("count").toInt() != count + 1) {
            qFatal("the reload closed the folder");
        }

        out << QStringLiteral("  run %1: %2 / %3 (%4x) / %5 (%6x) / %7 (%8x) / %9\n")
                   .arg(run)
                   .arg(listing, 0, 'f', 1)
                   .arg(open, 0, 'f', 1)
                   .arg(open / listing, 0, 'f', 2)
                   .arg(collapse, 0, 'f', 1)
                   .arg(collapse / listing, 0, 'f', 2)
                   .arg(expand, 0, 'f', 1)
                   .arg(expand / listing, 0, 'f', 2)
                   .arg(reload, 0, 'f', 1);
        out.flush();
    }
    PolkitFileSystemTreeItem::setListingRequest({});
    return 0;
}
