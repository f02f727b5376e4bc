// SPDX-License-Identifier: GPL-3.0-or-later
// A match played by anything: each input byte is a key typed into the answer
// box (Enter and Backspace among them), a paste of the bytes that follow, the
// next-question button, or a tick of the clock. The counters must always add
// up, the box must hold only what typing and pasting can put there, and the
// match ends with the record decision.
#include "fuzzwindow.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstdint>

namespace {

void typeKey(QWidget *box, char16_t code)
{
    const int key = code == 13  ? int(Qt::Key_Return)
                    : code == 8 ? int(Qt::Key_Backspace)
                                : int(QChar(code).toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(code)));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QChar(code)));
    QApplication::sendEvent(box, &release);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzWindow &window = FuzzWindow::instance();
    MatchState &match = window.tavola.matchState();
    match.correctCount = 0;
    match.wrongCount = 0;
    window.tavola.cmdNext_Click();
    auto *box = window.tavola.findChild<QLineEdit *>(QStringLiteral("txtAnswer"));
    auto *next = window.tavola.findChild<QAbstractButton *>(QStringLiteral("cmdNext"));
    int judged = 0;

    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t op = data[i];
        const int wrongBefore = match.wrongCount;
        if (op < 0x80) {
            const QString before = box->text();
            const int scoresBefore = match.correctCount + match.wrongCount;
            typeKey(box, op);
            judged += match.correctCount + match.wrongCount - scoresBefore;
            // A digit adds at most itself, Backspace takes away; nothing else
            // typed gets in.
            if (op >= '0' && op <= '9' && box->text().size() > before.size() + 1)
                std::abort();
            if (op != 8 && !(op >= '0' && op <= '9') && box->text() != before)
                std::abort();
        } else if (op < 0xC0) {
            const std::size_t length = std::min<std::size_t>(op & 0x3F, size - i - 1);
            const auto *pasted = reinterpret_cast<const char *>(data + i + 1);
            QApplication::clipboard()->setText(QString::fromUtf8(pasted, qsizetype(length)));
            box->paste();
            i += length;
        } else if (op < 0xE0) {
            if (next->isEnabled())
                next->click();
        } else {
            match.minutes = 4; // ticks, but never to the end of the time
            window.tavola.Timer1_Timer();
        }
        if (box->text().size() > box->maxLength())
            std::abort();
        // Every Enter is judged once, and the counters shown add up.
        if (judged != match.correctCount + match.wrongCount)
            std::abort();
        if (judged > 0 &&
            (strictNumber(window.caption("lblScore")) != match.correctCount ||
             strictNumber(window.caption("lblScore2")) != match.correctCount + match.wrongCount))
            std::abort();
        if (match.wrongCount != wrongBefore &&
            strictNumber(window.caption("lblScore1")) != match.wrongCount)
            std::abort();
    }
    window.exitAndCheckRecord();
    return 0;
}
