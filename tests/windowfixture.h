// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakes.h"
#include "ui/tavola.h"

#include <QApplication>
#include <QFile>
#include <QLabel>

#include <memory>

/// A window with a scripted runtime and a silent sound player, made anew for
/// each test, and ways to reach its controls by name.
class WindowFixture
{
protected:
    std::unique_ptr<FakeRuntime> runtime;
    std::unique_ptr<FakeSound> sound;
    std::unique_ptr<Tavola> tavola;

    /// A new window, not yet loaded nor shown.
    void makeWindow()
    {
        runtime = std::make_unique<FakeRuntime>();
        sound = std::make_unique<FakeSound>();
        tavola = std::make_unique<Tavola>(*runtime, *sound);
    }
    /// Destroys the window; true when nothing it made (controls, boxes)
    /// outlives it as a top-level widget.
    bool destroyWindow()
    {
        tavola.reset();
        return QApplication::topLevelWidgets().isEmpty();
    }

    template <typename T = QWidget>
    T *control(const QString &name) const
    {
        T *widget = tavola->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QString caption(const QString &name) const { return control<QLabel>(name)->text(); }
};

/// The bytes of a file, or "<missing>".
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// Writes bytes to a file, replacing what it held; false when it cannot.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}
