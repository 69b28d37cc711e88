// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "kcmui.h"

#include <KPluginFactory>
#include <KPluginMetaData>
#include <KQuickAddons/ConfigModule>

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace
{
// Only a guard against a window that draws no more, or a page that never
// comes to rest.
constexpr qint64 FrameLimitMs = 5000;

// The page's own files, as the host loads them from the installed package.
const QString packageFiles = QStringLiteral("kcm_trustwatch/contents/ui/");

QStringList &collectedWarnings()
{
    static QStringList warnings;
    return warnings;
}

QtMessageHandler previousHandler = nullptr;

void collectWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains(packageFiles)) {
        collectedWarnings().append(message);
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

void collectItems(QQuickItem *item, QList<QQuickItem *> &items)
{
    items.append(item);
    const QList<QQuickItem *> children = item->childItems();
    for (QQuickItem *child : children) {
        collectItems(child, items);
    }
}
}

KcmUi::KcmUi()
{
    collectedWarnings().clear();
    previousHandler = qInstallMessageHandler(collectWarning);
    // The offscreen platform has no theme of its own to name the icons.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(QStringLiteral("breeze"));
    }
}

KcmUi::~KcmUi()
{
    if (m_page) {
        m_page->setParentItem(nullptr);
    }
    m_window.reset();
    m_module.reset();
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

bool KcmUi::open(const QSize &size)
{
    const KPluginMetaData metaData = KPluginMetaData::findPluginById(QStringLiteral("plasma/kcms/systemsettings"), QStringLiteral("kcm_trustwatch"));
    if (!metaData.isValid()) {
        m_problem = QStringLiteral("the installed plug-in kcm_trustwatch was not found");
        return false;
    }
    const auto result = KPluginFactory::instantiatePlugin<KQuickAddons::ConfigModule>(metaData);
    if (!result.plugin) {
        m_problem = QStringLiteral("the plug-in made no module: ") + result.errorString;
        return false;
    }
    m_module.reset(result.plugin);
    m_module->load();

    m_page = m_module->mainUi();
    if (!m_page) {
        m_problem = QStringLiteral("mainUi() gave no page: ") + m_module->errorString();
        return false;
    }
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(size);
    m_page->setParentItem(m_window->contentItem());
    m_page->setSize(size);
    QObject::connect(m_window.get(), &QQuickWindow::widthChanged, m_page, [this](int width) {
        m_page->setWidth(width);
    });
    QObject::connect(m_window.get(), &QQuickWindow::heightChanged, m_page, [this](int height) {
        m_page->setHeight(height);
    });
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get())) {
        m_problem = QStringLiteral("the window was never shown");
        return false;
    }
    settle();
    return true;
}

QString KcmUi::problem() const
{
    return m_problem;
}

KQuickAddons::ConfigModule *KcmUi::module() const
{
    return m_module.get();
}

QQuickWindow *KcmUi::window() const
{
    return m_window.get();
}

void KcmUi::resize(const QSize &size)
{
    m_window->resize(size);
    settle();
}

QList<QQuickItem *> KcmUi::items() const
{
    QList<QQuickItem *> items;
    if (m_window) {
        collectItems(m_window->contentItem(), items);
    }
    return items;
}

QObject *KcmUi::find(const QString &objectName) const
{
    // Pages may share names (each attribute editor has its menu): a shown
    // item wins over a hidden one.
    const QList<QQuickItem *> all = items();
    QQuickItem *hidden = nullptr;
    for (QQuickItem *item : all) {
        if (item->objectName() == objectName) {
            if (isShown(item)) {
                return item;
            }
            hidden = hidden ? hidden : item;
        }
    }
    if (hidden) {
        return hidden;
    }
    // Popups and actions are no items: they hang off the page's objects,
    // while the contents of a popup sit in the window's overlay.
    for (QObject *root : {static_cast<QObject *>(m_page), static_cast<QObject *>(m_window->contentItem())}) {
        if (QObject *object = root ? root->findChild<QObject *>(objectName) : nullptr) {
            return object;
        }
    }
    for (QQuickItem *item : all) {
        if (QObject *object = item->findChild<QObject *>(objectName, Qt::FindDirectChildrenOnly)) {
            return object;
        }
    }
    return nullptr;
}

QQuickItem *KcmUi::item(const QString &objectName) const
{
    return qobject_cast<QQuickItem *>(find(objectName));
}

bool KcmUi::isShown(const QQuickItem *item)
{
    for (; item; item = item->parentItem()) {
        if (!item->isVisible() || item->opacity() <= 0) {
            return false;
        }
    }
    return true;
}

bool KcmUi::click(QQuickItem *item)
{
    // Where the item is once the layouts have placed it: rows that have just
    // appeared may not be in place yet.
    settle();
    if (!item || !isShown(item) || item->window() != m_window.get()) {
        return false;
    }
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    settle();
    return true;
}

bool KcmUi::click(const QString &objectName)
{
    return click(item(objectName));
}

QQuickItem *KcmUi::buttonOf(const QString &actionName) const
{
    const QObject *action = find(actionName);
    if (!action) {
        return nullptr;
    }
    const QList<QQuickItem *> all = items();
    for (QQuickItem *item : all) {
        if (isShown(item) && item->property("action").value<QObject *>() == action) {
            return item;
        }
    }
    return nullptr;
}

void KcmUi::key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_window.get(), Qt::Key(key), modifiers);
    settle();
}

void KcmUi::type(const QString &text)
{
    // QTest types whole strings only into widgets.
    for (const QChar character : text) {
        QTest::keyClick(m_window.get(), character.toLatin1());
    }
    settle();
}

void KcmUi::settle()
{
    // A frame is drawn once every pending binding, layout and polish has
    // run; what the events of that frame set off shows in the next one. A
    // popup that fades in or out still takes the clicks meant for the page,
    // so its frames are waited out too.
    const QDeadlineTimer deadline(FrameLimitMs);
    for (int frame = 0; frame < 2 || popupFading(); ++frame) {
        QSignalSpy swapped(m_window.get(), &QQuickWindow::frameSwapped);
        m_window->update();
        if (!swapped.wait(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))) || deadline.hasExpired()) {
            return;
        }
    }
}

bool KcmUi::popupFading() const
{
    // The popups' items are the children of the window's overlay.
    const QList<QQuickItem *> layers = m_window->contentItem()->childItems();
    for (const QQuickItem *layer : layers) {
        if (!layer->inherits("QQuickOverlay")) {
            continue;
        }
        const QList<QQuickItem *> popups = layer->childItems();
        for (const QQuickItem *popup : popups) {
            if (popup->isVisible() && popup->opacity() < 1) {
                return true;
            }
        }
    }
    return false;
}

QImage KcmUi::grab()
{
    QSignalSpy swapped(m_window.get(), &QQuickWindow::frameSwapped);
    m_window->update();
    swapped.wait(2000);
    // Only the offscreen platform can grab, and only through the screen.
    return m_window->screen()->grabWindow(m_window->winId()).toImage();
}

void KcmUi::saveScreenshot(const QString &name)
{
    const QString directory = qEnvironmentVariable("TRUSTWATCH_UI_SCREENSHOTS");
    if (!directory.isEmpty()) {
        // Let opening and closing animations end first.
        QTest::qWait(500);
        const QString path = QDir(directory).filePath(name + QStringLiteral(".png"));
        if (!grab().save(path)) {
            qWarning("KcmUi: %s not written; screenshots need QT_QPA_PLATFORM=offscreen", qPrintable(path));
        }
    }
}

QStringList KcmUi::qmlWarnings() const
{
    return collectedWarnings();
}
