// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controlref.h"
#include "quiz/matchstate.h"
#include "runtime/recordstore.h"

#include <QMainWindow>
#include <QPointer>

class Backdrop;
class QAction;
class QTimer;
class QWindow;
class Runtime;
class SoundPlayer;

/// The quiz's one window. It is built from the design table; its handlers
/// are the game: each lives in the quiz unit of its concern.
class Tavola : public QMainWindow
{
public:
    Tavola(Runtime &runtime, SoundPlayer &sound);
    ~Tavola() override;

    /// Loads the window if it is not loaded (controls from their design, then
    /// Form_Load) and shows it maximised. Its first activation asks the first
    /// question.
    void Show();

protected:
    /// Stops the timer, hides the window and destroys its controls; the
    /// match state stays until the next load sets it.
    void Unload();

    // The handlers, in the order a match meets them.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void cmdNext_Click();
    void txtAnswer_KeyPress(qint16 &key);
    void Timer1_Timer();
    void cmdExit_Click();
    void Next_Click();

    // The record, through the record service.
    void LoadRecord();
    static QString Leggifiletxt(const QString &nomefile, const RecordStore::Texts &record);
    /// Saves unless the record on disk is at least scoreText; says whether it saved.
    bool SaveRecord(const QString &scoreText, const QString &name);

    MatchState m_state;

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Load();
    void buildControls();
    void buildMenu();
    void connectControls();
    void activateOnce();
    void endWaitOnceMaximised();
    template <typename Handler>
    void dispatch(Handler &&handler) noexcept;

    void PlayWave(const QString &path);
    void PrepareSounds();
    void paintGradient();
    void StartClock();
    void ShowClock();
    [[noreturn]] void EndGame();
    [[noreturn]] void decideRecord();

    Runtime &m_runtime;
    SoundPlayer &m_sound;
    bool m_loaded = false;
    bool m_activationPending = false;
    bool m_onScreen = false;     // exposed once since it was shown
    bool m_awaitingSize = false; // asked to maximise once on screen: the first question waits
    QSize m_sizeBeforeMaximised; // the size it had when asked to maximise
    bool m_ended = false;        // a test runtime's EndProgram came back: nothing runs any more
    bool m_gameEnding = false;   // EndGame or cmdExit_Click has begun: ticks do nothing
    bool m_soundsPrepared = false;

    QPointer<QWindow> m_watchedWindow; // its first exposure asks the first question

    // The controls, owned by the client area m_backdrop, in the order of the
    // design table; the handlers reach those they use by name.
    QPointer<Backdrop> m_backdrop;
    ControlWidgets m_controls{};
    ControlRef<AnswerField, "txtAnswer"> txtAnswer{m_controls};
    ControlRef<PictureButton, "cmdNext"> cmdNext{m_controls};
    ControlRef<PictureButton, "cmdExit"> cmdExit{m_controls};
    ControlRef<DesignLabel, "lblNum1"> lblNum1{m_controls};
    ControlRef<DesignLabel, "lblMessage"> lblMessage{m_controls};
    ControlRef<DesignLabel, "lblScore"> lblScore{m_controls};
    ControlRef<DesignLabel, "lblScore1"> lblScore1{m_controls};
    ControlRef<DesignLabel, "lblScore2"> lblScore2{m_controls};
    ControlRef<DesignLabel, "lblconto"> lblconto{m_controls};
    ControlRef<DesignLabel, "lblnome1"> lblnome1{m_controls};
    ControlRef<DesignLabel, "lblnome"> lblnome{m_controls};
    ControlRef<DesignLabel, "lblpunti"> lblpunti{m_controls};
    QTimer *Timer1 = nullptr;
    QAction *Next = nullptr;
};
