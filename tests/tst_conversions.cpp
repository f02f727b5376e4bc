// SPDX-License-Identifier: GPL-3.0-or-later
// Number formatting, the two text-to-number conversions and 16-bit arithmetic.
#include "runtime/conversions.h"
#include "runtime/failure.h"
#include "runtime/int16.h"

#include <QTest>

#include <clocale>
#include <limits>

class ConversionsTest : public QObject
{
    Q_OBJECT

    static constexpr double inf = std::numeric_limits<double>::infinity();

private slots:
    void initTestCase()
    {
        // The program runs in Italian, whose decimal separator is a comma.
        std::setlocale(LC_ALL, "it_IT.UTF-8");
    }

    void formatNumberWritesThePatternsDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0 #0") << 0.0 << "#0"
                              << "0";
        QTest::newRow("7 #0") << 7.0 << "#0"
                              << "7";
        QTest::newRow("-43 ####0") << -43.0 << "####0"
                                   << "-43";
        QTest::newRow("5 00 pads") << 5.0 << "00"
                                   << "05";
        QTest::newRow("100 00") << 100.0 << "00"
                                << "100";
        QTest::newRow("-2.5 rounds away from 0") << -2.5 << "#0"
                                                 << "-3";
        QTest::newRow("infinity") << inf << "####0"
                                  << "inf";
    }
    void formatNumberWritesThePatternsDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, shown);
        QCOMPARE(FormatNumber(value, pattern), shown);
    }

    // What a record file or the answer box may hold. The lenient reading
    // takes the leading number, 0 when there is none, and never fails; the
    // strict one takes a whole number or fails (NaN here).
    void textToNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lenient");
        QTest::addColumn<double>("strict");
        const double fails = qQNaN();
        QTest::newRow("empty") << "" << 0.0 << fails;
        QTest::newRow("90") << "90" << 90.0 << 90.0;
        QTest::newRow("blanks around") << " 12 " << 12.0 << 12.0;
        QTest::newRow("007") << "007" << 7.0 << 7.0;
        QTest::newRow("record line") << "7\r\n" << 7.0 << fails;
        QTest::newRow("blanks, then text") << "   12abc" << 12.0 << fails;
        QTest::newRow("tab") << "\t8" << 8.0 << 8.0;
        QTest::newRow("text first") << "a1" << 0.0 << fails;
        QTest::newRow("-5") << "-5" << -5.0 << -5.0;
        QTest::newRow("+6") << "+6" << 6.0 << 6.0;
        QTest::newRow("2.5") << "2.5" << 2.5 << 2.5;
        QTest::newRow("inner blank stops") << "1 2" << 1.0 << fails;
        QTest::newRow("1e3") << "1e3" << 1000.0 << 1000.0;
        QTest::newRow("5e-1") << "5e-1" << 0.5 << 0.5;
        QTest::newRow("e without digits") << "12e" << 12.0 << fails;
        QTest::newRow("1e999 is endless") << "1e999" << inf << inf;
    }
    void textToNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, lenient);
        QFETCH(double, strict);
        QCOMPARE(lenientNumber(text), lenient);
        try {
            QCOMPARE(strictNumber(text), strict);
        } catch (const RuntimeFailure &failure) {
            QVERIFY(qIsNaN(strict));
            QVERIFY(failure.message().contains(u"non è un numero"));
        }
    }

    void sixteenBitsHoldTheCounters()
    {
        QCOMPARE(checkedAdd(32766, 1), qint16(32767));
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, checkedAdd(32767, 1));
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, checkedAdd(-32768, -1));
        // An answer rounds half to even; past 16 bits it is no number at all.
        QCOMPARE(roundToInt16(2.5), qint16(2));
        QCOMPARE(roundToInt16(-32768.4), qint16(-32768));
        QCOMPARE(roundToInt16(32767.5), std::nullopt);
        QCOMPARE(roundToInt16(inf), std::nullopt);
    }
};

QTEST_MAIN(ConversionsTest)
#include "tst_conversions.moc"
