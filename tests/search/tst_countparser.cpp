// SPDX-License-Identifier: MIT
#include "search/countparser.h"

#include <QTest>

using namespace Qorvin;

class TestCountParser : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestCountParser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");

    // Plain and signed integers, with the spaces that may surround them.
    QTest::newRow("default") << "30" << true << true << 30;
    QTest::newRow("zero") << "0" << true << true << 0;
    QTest::newRow("leading zeros") << "007" << true << true << 7;
    QTest::newRow("plus") << "+5" << true << true << 5;
    QTest::newRow("minus") << "-5" << true << true << -5;
    QTest::newRow("minus zero") << "-0" << true << true << 0;
    QTest::newRow("spaces around") << "  42  " << true << true << 42;
    QTest::newRow("space after sign") << "- 5" << false << false << 0;
    QTest::newRow("space inside") << "4 2" << false << false << 0;
    QTest::newRow("tab is no space") << "\t42" << false << false << 0;
    QTest::newRow("full-width space") << "42\u3000" << false << false << 0;
    QTest::newRow("full-width digits") << "\uFF13\uFF10" << false << false << 0;

    // Not numbers at all.
    QTest::newRow("empty") << "" << false << false << 0;
    QTest::newRow("only spaces") << "   " << false << false << 0;
    QTest::newRow("letters") << "abc" << false << false << 0;
    QTest::newRow("trailing letters") << "30abc" << false << false << 0;
    QTest::newRow("sign alone") << "-" << false << false << 0;
    QTest::newRow("two signs") << "+-3" << false << false << 0;
    QTest::newRow("point alone") << "." << false << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << false << 0;
    QTest::newRow("exponent without digits") << "1e" << false << false << 0;
    QTest::newRow("exponent sign without digits") << "1e+" << false << false << 0;
    QTest::newRow("exponent alone") << "e5" << false << false << 0;
    QTest::newRow("fractional exponent") << "1e2.5" << false << false << 0;
    QTest::newRow("hex") << "0x10" << false << false << 0;
    QTest::newRow("thousands separator") << "1,000" << false << false << 0;

    // Decimal points and exponents.
    QTest::newRow("point at end") << "5." << true << true << 5;
    QTest::newRow("point at start") << ".7" << true << true << 1;
    QTest::newRow("exponent") << "3e1" << true << true << 30;
    QTest::newRow("upper exponent") << "3E+2" << true << true << 300;
    QTest::newRow("negative exponent") << "250e-1" << true << true << 25;
    QTest::newRow("point and exponent") << "1.5e1" << true << true << 15;
    QTest::newRow("tiny") << "1e-400" << true << true << 0;
    QTest::newRow("zero with huge exponent") << "0e99999999999999999999" << true << true << 0;

    // Rounding to the nearest integer, halves to the even neighbour, decided on the decimal digits.
    QTest::newRow("2.5") << "2.5" << true << true << 2;
    QTest::newRow("3.5") << "3.5" << true << true << 4;
    QTest::newRow("0.5") << "0.5" << true << true << 0;
    QTest::newRow("1.5") << "1.5" << true << true << 2;
    QTest::newRow("-2.5") << "-2.5" << true << true << -2;
    QTest::newRow("-3.5") << "-3.5" << true << true << -4;
    QTest::newRow("2.50000") << "2.50000" << true << true << 2;
    QTest::newRow("just above half") << "2.5000000000000000001" << true << true << 3;
    QTest::newRow("just below half") << "3.4999999999999999999" << true << true << 3;
    QTest::newRow("2.51") << "2.51" << true << true << 3;
    QTest::newRow("0.49") << "0.49" << true << true << 0;
    QTest::newRow("25e-1") << "25e-1" << true << true << 2;
    QTest::newRow("0.05") << "0.05" << true << true << 0;

    // The 32-bit range: its ends convert, one past them is refused.
    QTest::newRow("max") << "2147483647" << true << true << 2147483647;
    QTest::newRow("min") << "-2147483648" << true << true << int(-2147483647 - 1);
    QTest::newRow("max + 1") << "2147483648" << true << false << 0;
    QTest::newRow("min - 1") << "-2147483649" << true << false << 0;
    QTest::newRow("rounds up past max") << "2147483647.5" << true << false << 0;
    QTest::newRow("rounds down to max") << "2147483647.4999" << true << true << 2147483647;
    QTest::newRow("min - half rounds to even min") << "-2147483648.5" << true << true << int(-2147483647 - 1);
    QTest::newRow("max as exponent") << "2.147483647e9" << true << true << 2147483647;
    QTest::newRow("eleven digits") << "10000000000" << true << false << 0;
    QTest::newRow("many leading zeros") << "000000000000000000012" << true << true << 12;
    QTest::newRow("huge exponent") << "1e400" << true << false << 0;
    QTest::newRow("1e10") << "1e10" << true << false << 0;
    QTest::newRow("1e9") << "1e9" << true << true << 1000000000;
}

void TestCountParser::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(bool, converts);
    QFETCH(int, value);

    QCOMPARE(isNumericCount(text), numeric);
    const std::optional<qint32> count = parseWantedCount(text);
    QCOMPARE(count.has_value(), converts);
    if (count)
        QCOMPARE(*count, value);
}

QTEST_GUILESS_MAIN(TestCountParser)
#include "tst_countparser.moc"
