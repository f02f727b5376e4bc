// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime: its text-to-number conversions and number ranges.
#include "runtime/conversions.h"
#include "runtime/int16.h"
#include "runtime/randomsource.h"

#include <QTest>

#include <clocale>

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
};

QTEST_GUILESS_MAIN(RuntimeTest)
#include "tst_runtime.moc"
