// SPDX-License-Identifier: GPL-3.0-or-later
// Number formatting, the two text-to-number conversions and 16-bit arithmetic.
#include "runtime/conversions.h"
#include "runtime/failure.h"
#include "runtime/int16.h"
#include "runtime/randomsource.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

class ConversionsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The program runs under an Italian locale, whose decimal separator
        // is a comma: the conversions must not depend on it.
        std::setlocale(LC_ALL, "it_IT.UTF-8");
    }

    void formatNumberWritesThePatternsDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero #0") << 0.0 << "#0"
                                 << "0";
        QTest::newRow("99 #0") << 99.0 << "#0"
                               << "99";
        QTest::newRow("zero ###0") << 0.0 << "###0"
                                   << "0";
        QTest::newRow("32767 ####0") << 32767.0 << "####0"
                                     << "32767";
        QTest::newRow("negative ####0") << -43.0 << "####0"
                                        << "-43";
        QTest::newRow("5 00 pads") << 5.0 << "00"
                                   << "05";
        QTest::newRow("zero 00") << 0.0 << "00"
                                 << "00";
        QTest::newRow("100 00 keeps all digits") << 100.0 << "00"
                                                 << "100";
        QTest::newRow("59 seconds 00") << 59.0 << "00"
                                       << "59";
        QTest::newRow("negative 00") << -5.0 << "00"
                                     << "-05";
        QTest::newRow("half rounds away from zero") << -2.5 << "#0"
                                                    << "-3";
        QTest::newRow("past 64 bits keeps its digits") << 1e20 << "####0"
                                                       << "100000000000000000000";
        QTest::newRow("most negative 64-bit value") << -9223372036854775808.0 << "#0"
                                                    << "-9223372036854775808";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "####0"
                                  << "inf";
    }
    void formatNumberWritesThePatternsDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(FormatNumber(value, pattern), expected);
    }

    void lenientNumberReadsTheLeadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("digits") << "43" << 43.0;
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("record line with CR LF") << "7\r\n" << 7.0;
        QTest::newRow("leading blanks") << "   12abc" << 12.0;
        QTest::newRow("leading tab") << "\t8" << 8.0;
        QTest::newRow("text only") << "nome" << 0.0;
        QTest::newRow("only CR LF") << "\r\n" << 0.0;
        QTest::newRow("several lines") << "15\r\n99\r\n" << 15.0;
        QTest::newRow("negative") << "-5" << -5.0;
        QTest::newRow("plus sign") << "+6" << 6.0;
        QTest::newRow("decimal point") << "2.5" << 2.5;
        QTest::newRow("comma stops") << "2,5" << 2.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("e without digits stops") << "12e" << 12.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("inner blank stops") << "1 2" << 1.0;
        QTest::newRow("NUL stops") << QString::fromUtf16(u"4\0"
                                                         "5",
                                                         3)
                                   << 4.0;
        QTest::newRow("fullwidth digit is no digit") << QString::fromUtf16(u"\uFF15") << 0.0;
    }
    void lenientNumberReadsTheLeadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(lenientNumber(text), expected);
    }

    void lenientNumberOfAHugeExponentIsInfinite()
    {
        // "1e999" does not fit a double: it reads as infinity, not as garbage.
        QCOMPARE(lenientNumber(u"1e999"), std::numeric_limits<double>::infinity());
    }

    void strictNumberConvertsWholeNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("score") << "12" << 12.0;
        QTest::newRow("blanks around") << " 12 " << 12.0;
        QTest::newRow("decimal") << "1.5" << 1.5;
    }
    void strictNumberConvertsWholeNumbers()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(strictNumber(text), expected);
    }

    void strictNumberOfANonNumberIsARunTimeFailure_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << " ";
        QTest::newRow("word") << "nome";
        QTest::newRow("trailing text") << "12abc";
        QTest::newRow("line end") << "12\r\n";
    }
    void strictNumberOfANonNumberIsARunTimeFailure()
    {
        QFETCH(QString, text);
        try {
            strictNumber(text);
            QFAIL("no failure");
        } catch (const RuntimeFailure &failure) {
            QVERIFY(failure.message().contains(u"non è un numero"));
        }
    }

    void roundToInt16RoundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5 to 2") << 2.5 << 2;
        QTest::newRow("3.5 to 4") << 3.5 << 4;
        QTest::newRow("-2.5 to -2") << -2.5 << -2;
        QTest::newRow("2.6 to 3") << 2.6 << 3;
        QTest::newRow("largest") << 32767.0 << 32767;
        QTest::newRow("32767.4 still fits") << 32767.4 << 32767;
        QTest::newRow("smallest") << -32768.0 << -32768;
    }
    void roundToInt16RoundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(roundToInt16(value), std::optional<qint16>(qint16(expected)));
    }

    void roundToInt16RefusesWhatDoesNotFit_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("32768") << 32768.0;
        QTest::newRow("32767.5 rounds to 32768") << 32767.5;
        QTest::newRow("-32769") << -32769.0;
        QTest::newRow("1e99") << 1e99;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    }
    void roundToInt16RefusesWhatDoesNotFit()
    {
        QFETCH(double, value);
        QCOMPARE(roundToInt16(value), std::nullopt);
    }

    void checkedAddFailsPastTheRange_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("fails");
        QTest::newRow("up to the largest") << 32766 << 1 << false;
        QTest::newRow("past the largest") << 32767 << 1 << true;
        QTest::newRow("sum of two counters") << 20000 << 12768 << true;
        QTest::newRow("down to the smallest") << -32767 << -1 << false;
        QTest::newRow("past the smallest") << -32768 << -1 << true;
    }
    void checkedAddFailsPastTheRange()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, fails);
        bool failed = false;
        try {
            QCOMPARE(checkedAdd(qint16(a), qint16(b)), a + b);
        } catch (const RuntimeFailure &failure) {
            failed = true;
            QVERIFY(failure.message().contains(u"overflow"));
        }
        QCOMPARE(failed, fails);
    }

    void randomSourceStaysBelowOne()
    {
        // 24 random bits scaled by 2^-24: the largest value is 1 - 2^-24, so
        // floor(v * 100) can never be 100.
        RandomSource random;
        float largest = 0;
        for (std::uint32_t seed = 0; seed < 2000; ++seed) {
            random.seed(seed);
            for (int i = 0; i < 50; ++i)
                largest = std::max(largest, random.next());
        }
        QVERIFY(largest < 1.0f);
        QVERIFY(largest > 0.999f);
        QVERIFY(std::floor(double(largest) * 100) <= 99);
    }
};

QTEST_GUILESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
