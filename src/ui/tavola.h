// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "quiz/matchstate.h"

#include <QMainWindow>
#include <QPointer>

class AnswerField;
class Backdrop;
class DesignLabel;
class PictureButton;
class QAction;
class QLabel;
class QPushButton;
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

    // The record files, in the directory held by windowsDir.
    QString GetSystemDir();
    QString Leggifiletxt(const QString &nomefile);
    void EnsureRecordFiles();
    void LoadRecord();
    void SaveRecord(const QString &scoreText, const QString &name);

    MatchState &matchState() { return m_state; }

private:
    void Load();
    void buildControls();
    void buildMenu();
    void connectControls();
    void activateOnce();
    template <typename Handler>
    void dispatch(Handler &&handler) noexcept;

    void PlayWave(const QString &path);
    void PrepareSounds();
    void paintGradient();
    void StartClock();
    void ShowClock();
    [[noreturn]] void EndGame();
    [[noreturn]] void decideRecord();

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Runtime &m_runtime;
    SoundPlayer &m_sound;
    MatchState m_state;
    bool m_loaded = false;
    bool m_activationPending = false;
    bool m_ended = false;      // a test runtime's EndProgram came back: nothing runs any more
    bool m_gameEnding = false; // EndGame or cmdExit_Click has begun: ticks do nothing
    bool m_soundsPrepared = false;

    QPointer<QWindow> m_watchedWindow; // its first exposure asks the first question

    // The controls, owned by the client area m_backdrop.
    QPointer<Backdrop> m_backdrop;
    AnswerField *txtAnswer = nullptr;
    PictureButton *cmdNext = nullptr;
    PictureButton *cmdExit = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Image1 = nullptr;
    DesignLabel *lblNum1 = nullptr;
    DesignLabel *lblMessage = nullptr;
    DesignLabel *lblScore = nullptr;
    DesignLabel *lblScore1 = nullptr;
    DesignLabel *lblScore2 = nullptr;
    DesignLabel *lblconto = nullptr;
    DesignLabel *lblnome1 = nullptr;
    DesignLabel *lblnome = nullptr;
    DesignLabel *lblpunti = nullptr;
    QTimer *Timer1 = nullptr;
    QAction *Next = nullptr;
};
