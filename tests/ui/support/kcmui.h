// SPDX-FileCopyrightText: 2026 Integrity control developers
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QQuickItem;
class QQuickWindow;

namespace KQuickAddons
{
class ConfigModule;
}

/**
 * The module's page as the settings host shows it, for tests: the installed
 * plug-in made by its factory, the page from the module's mainUi() in a
 * window of its own (offscreen in the tests), and ways to find its controls
 * by objectName and to work them with the mouse and the keyboard.
 *
 * Every warning the page's own QML files cause is collected, so a test can
 * insist there is none.
 */
class KcmUi
{
public:
    KcmUi();
    ~KcmUi();

    /// Creates the module, calls the host's load(), and shows the page at @p size.
    /// False, with the reason in problem(), when any step failed.
    bool open(const QSize &size);
    QString problem() const;

    KQuickAddons::ConfigModule *module() const;
    QQuickWindow *window() const;
    void resize(const QSize &size);

    /// The object named @p objectName in the page, its popups included; a
    /// shown item first when several have that name.
    QObject *find(const QString &objectName) const;
    QQuickItem *item(const QString &objectName) const;
    /// Every item of the page and its popups, depth first.
    QList<QQuickItem *> items() const;

    /// Whether @p item and all its ancestors are visible.
    static bool isShown(const QQuickItem *item);
    /// Clicks the centre of @p item; false when it is not shown.
    bool click(QQuickItem *item);
    bool click(const QString &objectName);
    /// The shown button that triggers the action named @p actionName.
    QQuickItem *buttonOf(const QString &actionName) const;
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString &text);
    /// Lets pending events, bindings and the next frame run.
    void settle();

    QImage grab();
    /// Writes grab() to <name>.png in $TRUSTWATCH_UI_SCREENSHOTS when that is
    /// set; only the offscreen platform can grab.
    void saveScreenshot(const QString &name);

    /// Warnings from the page's own QML files since open().
    QStringList qmlWarnings() const;

private:
    /// Whether a popup is fading in or out.
    bool popupFading() const;

    QString m_problem;
    std::unique_ptr<KQuickAddons::ConfigModule> m_module;
    std::unique_ptr<QQuickWindow> m_window;
    QPointer<QQuickItem> m_page;
};
