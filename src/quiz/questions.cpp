// SPDX-License-Identifier: GPL-3.0-or-later
// Questions and answers: asking n + 1, filtering and judging the answer.
#include "runtime/apppath.h"
#include "runtime/conversions.h"
#include "runtime/int16.h"
#include "runtime/runtime.h"
#include "runtime/soundplayer.h"
#include "ui/answerfield.h"
#include "ui/backdrop.h"
#include "ui/designlabel.h"
#include "ui/picturebutton.h"
#include "ui/spoken.h"
#include "ui/tavola.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr int bandCount = 256;

enum : qint16
{
    Backspace = 8,
    Enter = 13
};

QString rightSound()
{
    return AppPath() + QStringLiteral("/suoni/Esatto.wav");
}

QString wrongSound()
{
    return AppPath() + QStringLiteral("/suoni/no.wav");
}

// A whole number 0..k-1 from the runtime's generator.
qint16 draw(Runtime &runtime, int k)
{
    return qint16(std::floor(double(runtime.NextRandom()) * k));
}

} // namespace

void Tavola::Form_Activate()
{
    cmdNext_Click();
}

void Tavola::cmdNext_Click()
{
    // The tint is drawn before the reseed, from the generator as the last
    // question left it.
    m_state.backgroundTint = draw(m_runtime, 15);
    lblMessage->setCaption(QString());
    m_runtime.ReseedFromClock();
    qint16 n = 0;
    while (n == 0)
        n = draw(m_runtime, 100);
    lblNum1->setCaption(FormatNumber(n, u"#0"));
    // A screen reader reads the box's name as the focus comes to it.
    txtAnswer->setAccessibleName(QStringLiteral("Quanto fa %1 più 1?").arg(n));
    m_state.expectedAnswer = qint16(n + 1);
    cmdNext->setEnabled(false);
    paintGradient();
    txtAnswer->setFocus();
    // Emptied once it has the focus: emptied before, the box's caret moves
    // while the focus is elsewhere, and Orca takes that for the focus coming
    // and never reads the question.
    txtAnswer->setText(QString());
}

void Tavola::paintGradient()
{
    // 256 bands from top to bottom, band i in (10t, 10t, i), over the client
    // area at the size it has now.
    const int tint = 10 * m_state.backgroundTint;
    m_backdrop->draw([tint](QPainter &painter, QSize size) {
        for (int i = 0; i < bandCount; ++i) {
            const int top = i * size.height() / bandCount;
            const int bottom = (i + 1) * size.height() / bandCount;
            painter.fillRect(0, top, size.width(), bottom - top, QColor(tint, tint, i));
        }
    });
}

void Tavola::txtAnswer_KeyPress(qint16 &key)
{
    if (key == Backspace || (key >= '0' && key <= '9'))
        return;
    if (key != Enter) {
        key = 0;
        return;
    }

    // An answer too large for 16 bits (pasted in) can equal nothing: wrong.
    const std::optional<qint16> answer = roundToInt16(lenientNumber(txtAnswer->text()));
    if (answer == m_state.expectedAnswer) {
        m_state.correctCount = checkedAdd(m_state.correctCount, 1);
        lblMessage->setCaption(QStringLiteral("Esatto! ") + m_state.playerName +
                               QStringLiteral(" sei forte!"));
        PlayWave(rightSound());
    } else {
        m_state.wrongCount = checkedAdd(m_state.wrongCount, 1);
        lblMessage->setCaption(QStringLiteral("Sbagliato!! ") +
                               FormatNumber(m_state.expectedAnswer, u"####0"));
        PlayWave(wrongSound());
        m_backdrop->setBackgroundColor(Qt::black);
        lblScore1->setCaption(FormatNumber(m_state.wrongCount, u"###0"));
    }
    lblScore->setCaption(FormatNumber(m_state.correctCount, u"####0"));
    lblScore2->setCaption(
        FormatNumber(checkedAdd(m_state.correctCount, m_state.wrongCount), u"####0"));
    cmdNext->setEnabled(true);
    focusAndTell(cmdNext, lblMessage->caption());
}

void Tavola::PlayWave(const QString &path)
{
    m_sound.play(path);
}

void Tavola::PrepareSounds()
{
    m_sound.warmUp({rightSound(), wrongSound()});
}
