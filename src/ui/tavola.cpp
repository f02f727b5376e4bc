// SPDX-License-Identifier: GPL-3.0-or-later
// The window's life: loading, showing, activation, its own caption, and the
// entry points through which events reach the handlers.
#include "tavola.h"

#include "answerfield.h"
#include "design.h"
#include "picturebutton.h"
#include "runtime/failure.h"
#include "runtime/runtime.h"

#include <QAction>
#include <QEvent>
#include <QPixmapCache>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include <utility>

Tavola::Tavola(Runtime &runtime, SoundPlayer &sound)
    : m_runtime(runtime)
    , m_sound(sound)
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(design::timerIntervalMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { dispatch([this] { Timer1_Timer(); }); });

    // The menu bar outlives reloads: "nuovo" reloads the window from its own
    // handler, so its action must not be destroyed under it.
    buildMenu();
    // Only once the menu has closed: the menu bar gives the focus back to
    // the control it took it from when it closes, and a box opened before
    // that would hand it, once closed, to no control.
    connect(
        Next, &QAction::triggered, this, [this] { dispatch([this] { Next_Click(); }); },
        Qt::QueuedConnection);

    // cmdNext is the window's cancel button: Esc presses it while it is enabled.
    auto *cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancel, &QShortcut::activated, this, [this] {
        if (m_loaded && cmdNext->isEnabled())
            cmdNext->click();
    });
}

Tavola::~Tavola() = default;

void Tavola::Show()
{
    if (!m_loaded)
        dispatch([this] { Load(); });
    if (m_ended)
        return; // the load failed and the program has ended: never shown
    showMaximized();
}

void Tavola::Load()
{
    buildControls();
    connectControls();
    Timer1->start(); // running as designed, until Form_Load stops it
    m_loaded = true;
    m_activationPending = true;
    m_onScreen = false;
    m_awaitingSize = false;
    m_gameEnding = false;
    Form_Load();
}

void Tavola::Unload()
{
    Timer1->stop();
    hide();
    m_loaded = false;
    m_activationPending = false;
    // Nothing of the old controls is on the call stack: Unload runs from the
    // menu, whose bar is kept. The controls go at once, so that no stale one
    // can be found or receive an event.
    delete takeCentralWidget();
    // Qt's style and icon caches still hold pictures of those controls,
    // keyed by palettes and icons that no new control will share.
    QPixmapCache::clear();
    m_controls = {};
}

// Every event reaches its handler through here, so that a run-time failure
// becomes the runtime's error box and the end of the program, and nothing
// escapes into the event loop.
template <typename Handler>
void Tavola::dispatch(Handler &&handler) noexcept
{
    if (m_ended)
        return;
    const auto fail = [this](const QString &message) {
        try {
            m_runtime.Fail(message);
        } catch (const ProgramEnd &) {
            m_ended = true;
        }
    };
    try {
        handler();
    } catch (const ProgramEnd &) {
        m_ended = true;
    } catch (const RuntimeFailure &failure) {
        fail(failure.message());
    } catch (const std::bad_alloc &) {
        fail(QStringLiteral("Errore di esecuzione: memoria esaurita."));
    } catch (...) {
        fail(QStringLiteral("Errore di esecuzione imprevisto."));
    }
}

void Tavola::connectControls()
{
    connect(cmdExit.get(), &QAbstractButton::clicked, this,
            [this] { dispatch([this] { cmdExit_Click(); }); });
    connect(cmdNext.get(), &QAbstractButton::clicked, this,
            [this] { dispatch([this] { cmdNext_Click(); }); });
    txtAnswer->setKeyFilter(
        [this](qint16 &key) { dispatch([this, &key] { txtAnswer_KeyPress(key); }); });
}

void Tavola::Form_Resize()
{
    // Only minimising changes the caption; nothing ever sets it back.
    if (windowState() & Qt::WindowMinimized)
        setWindowTitle(QStringView(design::minimisedCaption).toString());
}

// The first activation after a load asks the first question. Without a
// window manager, or offscreen, no activation may ever come; so the first
// exposure of the shown window asks too, before it is painted, at the size
// it is shown with. Whichever comes first asks, once.
void Tavola::activateOnce()
{
    if (!m_activationPending || m_awaitingSize)
        return;
    m_activationPending = false;
    dispatch([this] { Form_Activate(); });
}

// The window manager tells the new state and the new size in either order.
void Tavola::endWaitOnceMaximised()
{
    if (m_awaitingSize && windowState() == Qt::WindowMaximized && size() != m_sizeBeforeMaximised) {
        m_awaitingSize = false;
        activateOnce();
    }
}

bool Tavola::event(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        endWaitOnceMaximised();
    if (event->type() == QEvent::WindowActivate)
        activateOnce();
    return QMainWindow::event(event);
}

void Tavola::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (QWindow *window = windowHandle(); window && window != m_watchedWindow) {
        window->installEventFilter(this);
        m_watchedWindow = window;
    }
}

bool Tavola::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::Expose &&
        m_watchedWindow->isExposed()) {
        // GNOME 48 may map the window minimised and maximised at once,
        // then drop both: it stays at its restored size unless asked again
        // once on screen. The first question's background waits for the
        // maximised size, three seconds at most (a window manager may refuse).
        if (!m_onScreen && windowState() != Qt::WindowMaximized) {
            m_awaitingSize = true;
            m_sizeBeforeMaximised = size();
            setWindowState(Qt::WindowMaximized);
            QTimer::singleShot(3000, this, [this] {
                if (std::exchange(m_awaitingSize, false))
                    activateOnce();
            });
        }
        m_onScreen = true;
        activateOnce();
        // The window paints this exposure as soon as the filter returns;
        // the sound system is loaded after that, once.
        if (!m_soundsPrepared) {
            m_soundsPrepared = true;
            QMetaObject::invokeMethod(
                this, [this] { dispatch([this] { PrepareSounds(); }); }, Qt::QueuedConnection);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tavola::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Until the window is maximised at first, any other state is the
    // window manager's while it maps the window (GNOME 48 calls it
    // minimised, then drops the maximised state): asked again, it maximises.
    if (m_awaitingSize) {
        if (windowState() != Qt::WindowMaximized)
            setWindowState(Qt::WindowMaximized);
        endWaitOnceMaximised();
    } else if (m_onScreen) {
        // A resize alone never minimises: the window's state changes for that.
        dispatch([this] { Form_Resize(); });
    }
}
