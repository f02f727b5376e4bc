// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime: its text-to-number conversions and number ranges, and the
// record service's answers as the game tells them.
#include "runtime/conversions.h"
#include "runtime/failure.h"
#include "runtime/int16.h"
#include "runtime/randomsource.h"
#include "runtime/recordstore.h"

#include <QTest>

#include <clocale>
#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;

class RuntimeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::setlocale(LC_ALL, "it_IT.UTF-8"); // whose decimal separator is a comma
    }

    // What a record file or the answer box may hold. The lenient reading
    // takes the leading number, 0 when there is none, and never fails; the
    // strict one takes a whole number or fails (NaN here).
    void textToNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lenient");
        // clang-format off
        QTest::newRow("empty")             << ""         << 0.0;
        QTest::newRow("blanks, then text") << "   12abc" << 12.0;
        QTest::newRow("no hexadecimal")    << "0x1A"     << 0.0;
        QTest::newRow("-5")                << "-5"       << -5.0;
        QTest::newRow("+6")                << "+6"       << 6.0;
        QTest::newRow("2.5")               << "2.5"      << 2.5;
        QTest::newRow("1e3")               << "1e3"      << 1000.0;
        QTest::newRow("5e-1")              << "5e-1"     << 0.5;
        QTest::newRow("e without digits")  << "12e"      << 12.0;
        QTest::newRow("x is no exponent")  << "2x5"      << 2.0;
        // clang-format on
    }
    void textToNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, lenient);
        QCOMPARE(lenientNumber(text), lenient);
    }

    // An answer past 16 bits is no number. Random numbers reach up to 1,
    // never 1.
    void numbersKeepTheirRange()
    {
        QCOMPARE(roundToInt16(-32768.4), -32768);
        QCOMPARE(roundToInt16(32767.4), 32767);
        QCOMPARE(checkedAdd(32766, 1), 32767);
        QCOMPARE(roundToInt16(32767.5), std::nullopt);
        RandomSource random;
        float largest = 0;
        for (int i = 0; i < 1000; ++i)
            largest = std::max(largest, random.next());
        QVERIFY(largest > 0.99f && largest < 1);
    }

    // Each answer of the record service to a load that is not the record
    // reaches the child as its own reason.
    void serviceRefusalsAreTold_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("reason");
        QTest::newRow("busy") << "B"_ba << u"occupato"_s;
        QTest::newRow("not of the class") << "D"_ba << u"classe che può giocare"_s;
        QTest::newRow("refused") << "R"_ba << u"rifiutato"_s;
        QTest::newRow("folder failed") << "E2"_ba << u"cartella del record non si può usare"_s;
        QTest::newRow("a save's answer") << "W"_ba << u"sconosciuta"_s;
        QTest::newRow("unknown letter") << "X"_ba << u"sconosciuta"_s;
    }
    void serviceRefusalsAreTold()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, reason);
        UniqueFd service;
        RecordStore store(
            [&] {
                int ends[2] = {-1, -1};
                ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
                service = UniqueFd(ends[1]);
                ::send(ends[1], reply.constData(), size_t(reply.size()), 0);
                return UniqueFd(ends[0]);
            },
            u"test"_s);
        try {
            store.load();
            QFAIL("loaded");
        } catch (const RuntimeFailure &failure) {
            QVERIFY2(failure.message().contains(reason), qPrintable(failure.message()));
        }
    }
};

QTEST_GUILESS_MAIN(RuntimeTest)
#include "tst_runtime.moc"
