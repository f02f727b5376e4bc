// SPDX-License-Identifier: GPL-3.0-or-later
// The window's life: loading, showing, activation, its own caption, and the
// entry points through which events reach the handlers.
#include "tavola.h"

#include "answerfield.h"
#include "design.h"
#include "picturebutton.h"
#include "runtime/failure.h"
#include "runtime/runtime.h"

#include <QEvent>
#include <QMetaObject>
#include <QShowEvent>

Tavola::Tavola(Runtime &runtime, SoundPlayer &sound)
    : m_runtime(runtime)
    , m_sound(sound)
{
    Timer1.setInterval(design::timerIntervalMs);
    Timer1.setTimerType(Qt::PreciseTimer);
}

Tavola::~Tavola() = default;

void Tavola::Show()
{
    if (!m_loaded)
        Load();
    showMaximized();
}

void Tavola::Load()
{
    buildControls();
    buildMenu();
    connectEvents();
    m_loaded = true;
    m_activationPending = true;
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

void Tavola::connectEvents()
{
    connect(cmdNext, &QAbstractButton::clicked, this,
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
// window manager, or offscreen, no activation may ever come, so showing the
// window also asks for it, as soon as the show has been handled: whichever
// comes first asks, once.
void Tavola::activateOnce()
{
    if (!m_activationPending)
        return;
    m_activationPending = false;
    dispatch([this] { Form_Activate(); });
}

bool Tavola::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        activateOnce();
    return QMainWindow::event(event);
}

void Tavola::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_activationPending && !event->spontaneous())
        QMetaObject::invokeMethod(
            this, [this] { activateOnce(); }, Qt::QueuedConnection);
}

void Tavola::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        dispatch([this] { Form_Resize(); });
}

void Tavola::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    dispatch([this] { Form_Resize(); });
}
