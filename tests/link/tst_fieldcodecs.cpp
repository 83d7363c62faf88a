#include "fieldcodecs.h"

#include <QLocale>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace FieldCodecs;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Switches the process to a locale whose decimal separator is a comma, both for
// Qt and for the C library where the machine has such a locale, and back again.
class CommaLocale
{
public:
    CommaLocale()
        : m_qtLocale(QLocale())
    {
        if (const char *current = std::setlocale(LC_NUMERIC, nullptr))
            m_cLocale = current;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_NUMERIC, name))
                break;
        }
    }
    ~CommaLocale()
    {
        QLocale::setDefault(m_qtLocale);
        std::setlocale(LC_NUMERIC, m_cLocale.c_str());
    }

private:
    QLocale m_qtLocale;
    std::string m_cLocale = "C";
};

void addMatchRow(const char *name, const QString &text, const QString &pattern, bool matches)
{
    QTest::newRow(name) << text << pattern << matches;
}

QString numberedFields(int count)
{
    QStringList fields;
    for (int i = 0; i < count; ++i)
        fields << QString::number(i);
    return fields.join(u',');
}

} // namespace

class tst_FieldCodecs : public QObject
{
    Q_OBJECT

private slots:
    void splitString_data();
    void splitString();
    void splitString_fieldLimit_data();
    void splitString_fieldLimit();
    void padText_data();
    void padText();
    void numericValue_data();
    void numericValue();
    void numericValue_negativeZero();
    void toInt16_data();
    void toInt16();
    void toInt32_data();
    void toInt32();
    void numberText_data();
    void numberText();
    void wildcardMatch_data();
    void wildcardMatch();
};

void tst_FieldCodecs::splitString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("adjacent and trailing separators") << "a,,b," << QChar(u',') << QStringList {"a", "", "b", ""};
    QTest::newRow("empty text") << "" << QChar(u',') << QStringList {""};
    QTest::newRow("no separator") << "abc" << QChar(u',') << QStringList {"abc"};
    QTest::newRow("separator first stays in first field") << ",a,b" << QChar(u',') << QStringList {",a", "b"};
    QTest::newRow("two separators") << ",," << QChar(u',') << QStringList {",", ""};
    QTest::newRow("record rest") << "12,0,3,,255" << QChar(u',') << QStringList {"12", "0", "3", "", "255"};
    QTest::newRow("filter alternatives") << "I_ALR*,25*|A_CDR*|C_CDR*" << QChar(u'|')
                                         << QStringList {"I_ALR*,25*", "A_CDR*", "C_CDR*"};
    QTest::newRow("end marker text as a field") << "<end>,x" << QChar(u',') << QStringList {"<end>", "x"};
}

void tst_FieldCodecs::splitString()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(QStringList, fields);

    const auto result = FieldCodecs::splitString(text, separator);
    QVERIFY(result.has_value());
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(result->at(i), fields.at(i));
    QCOMPARE(result->at(fields.size()), QStringLiteral("<end>"));
    for (int i = fields.size() + 1; i < kSplitSlots; ++i)
        QVERIFY2(result->at(i).isEmpty(), qPrintable(QString::number(i)));
}

void tst_FieldCodecs::splitString_fieldLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fieldCount"); // 0 when the split must fail

    QTest::newRow("50 fields") << numberedFields(50) << 50;
    QTest::newRow("51 fields") << numberedFields(51) << 0;
    QTest::newRow("51 fields, last empty") << numberedFields(50) + u',' << 0;
    QTest::newRow("thousands of fields") << QString(5000, u',') << 0;
}

void tst_FieldCodecs::splitString_fieldLimit()
{
    QFETCH(QString, text);
    QFETCH(int, fieldCount);

    const auto result = FieldCodecs::splitString(text, u',');
    if (fieldCount == 0) {
        QVERIFY(!result.has_value());
        return;
    }
    QVERIFY(result.has_value());
    QCOMPARE(result->at(fieldCount), QStringLiteral("<end>"));
    QCOMPARE(result->at(0), QStringLiteral("0"));
    QCOMPARE(result->at(48), QStringLiteral("48"));
}

void tst_FieldCodecs::padText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("expected");

    QTest::newRow("row 7") << "7" << 2 << "0" << 0 << "07";
    QTest::newRow("longer stays") << "123" << 2 << "0" << 0 << "123";
    QTest::newRow("empty text") << "" << 2 << "0" << 0 << "00";
    QTest::newRow("right side") << "7" << 3 << "0" << 1 << "700";
    QTest::newRow("long fill overshoots") << "7" << 4 << "ab" << 0 << "abab7";
    QTest::newRow("empty fill leaves text") << "7" << 5 << "" << 0 << "7";
    QTest::newRow("negative width") << "7" << -2 << "0" << 0 << "7";
}

void tst_FieldCodecs::padText()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, fill);
    QFETCH(int, side);
    QFETCH(QString, expected);

    const QString original = text;
    const QString returned = FieldCodecs::padText(text, qint16(width), fill, qint16(side));
    QCOMPARE(returned, expected);
    QCOMPARE(text, expected); // changed in place

    const QString kept = original;
    QCOMPARE(FieldCodecs::padText(kept, qint16(width), fill, qint16(side)), expected);
    QCOMPARE(kept, original);
}

void tst_FieldCodecs::numericValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("leading zeros") << "007" << 7.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("blanks between digits") << " 1 2" << 12.0;
    QTest::newRow("blanks everywhere") << "1 0 . 5 e 1" << 105.0;
    QTest::newRow("tabs and line feeds first") << "\t\n \t5" << 5.0;
    QTest::newRow("tab inside stops") << "1\t2" << 1.0;
    QTest::newRow("carriage return is not skipped") << "\r5" << 0.0;
    QTest::newRow("minus") << "-3" << -3.0;
    QTest::newRow("blank after sign") << "- 5" << -5.0;
    QTest::newRow("two signs") << "--5" << 0.0;
    QTest::newRow("point first") << ".25" << 0.25;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma stops") << "5,6" << 5.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent") << "2e-2" << 0.02;
    QTest::newRow("D exponent") << "1D2" << 100.0;
    QTest::newRow("exponent then letters") << "1.5e3x" << 1500.0;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("superscript two is no digit") << QString(QChar(0xB2)) << 0.0;
    QTest::newRow("hex") << "&HFF" << 255.0;
    QTest::newRow("hex 16-bit all ones") << "&HFFFF" << -1.0;
    QTest::newRow("hex 16-bit lowest") << "&H8000" << -32768.0;
    QTest::newRow("hex beyond 16 bits") << "&H10000" << 65536.0;
    QTest::newRow("hex 32-bit all ones") << "&HFFFFFFFF" << -1.0;
    QTest::newRow("hex beyond 32 bits") << "&H100000000" << 4294967296.0;
    QTest::newRow("hex stops at non digit") << "&H1Fz9" << 31.0;
    QTest::newRow("hex with blanks") << " & H 1 0" << 16.0;
    QTest::newRow("hex after sign") << "-&H10" << 0.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal 16-bit all ones") << "&o177777" << -1.0;
    QTest::newRow("unknown radix") << "&X1" << 0.0;
    QTest::newRow("overflow") << "1e400" << kInf;
    QTest::newRow("underflow") << "1e-400" << 0.0;
    QTest::newRow("huge exponent digits") << "1e99999999999999999999999" << kInf;
    QTest::newRow("hundred thousand hex digits") << "&H" + QString(100000, u'F') << kInf;
    QTest::newRow("long fraction scaled back") << "0." + QString(2000, u'0') + "123e2001" << 1.23;
    QTest::newRow("long mantissa scaled back") << "12" + QString(3000, u'9') + "e-3001" << 1.3;
}

void tst_FieldCodecs::numericValue()
{
    QFETCH(QString, text);
    QFETCH(double, expected);

    QCOMPARE(FieldCodecs::numericValue(text), expected);
    // The decimal point does not depend on the system's number format.
    const CommaLocale commaLocale;
    QCOMPARE(FieldCodecs::numericValue(text), expected);
}

void tst_FieldCodecs::numericValue_negativeZero()
{
    for (const char *text : {"-0", "-0.000", "-1e-999", "- 0 e 5"}) {
        const double value = FieldCodecs::numericValue(QString::fromLatin1(text));
        QCOMPARE(value, 0.0);
        QVERIFY2(!std::signbit(value), text);
        QCOMPARE(FieldCodecs::numberText(value), QStringLiteral("0"));
    }
}

void tst_FieldCodecs::toInt16_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("expected");

    QTest::newRow("0.5") << 0.5 << true << 0;
    QTest::newRow("1.5") << 1.5 << true << 2;
    QTest::newRow("2.5") << 2.5 << true << 2;
    QTest::newRow("3.5") << 3.5 << true << 4;
    QTest::newRow("-2.5") << -2.5 << true << -2;
    QTest::newRow("32767.4") << 32767.4 << true << 32767;
    QTest::newRow("32767.5") << 32767.5 << false << 0;
    QTest::newRow("32767.6") << 32767.6 << false << 0;
    QTest::newRow("-32768.5") << -32768.5 << true << -32768;
    QTest::newRow("-32768.6") << -32768.6 << false << 0;
    QTest::newRow("huge") << 1e300 << false << 0;
    QTest::newRow("infinity") << kInf << false << 0;
    QTest::newRow("minus infinity") << -kInf << false << 0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void tst_FieldCodecs::toInt16()
{
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(int, expected);

    const std::optional<std::int16_t> result = FieldCodecs::toInt16(x);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(int(*result), expected);
}

void tst_FieldCodecs::toInt32_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("2.5") << 2.5 << true << qint64(2);
    QTest::newRow("-3.5") << -3.5 << true << qint64(-4);
    QTest::newRow("beyond 16 bits") << 40000.5 << true << qint64(40000);
    QTest::newRow("highest") << 2147483647.4 << true << qint64(2147483647);
    QTest::newRow("highest plus half") << 2147483647.5 << false << qint64(0);
    QTest::newRow("just above") << 2147483648.0 << false << qint64(0);
    QTest::newRow("lowest minus half") << -2147483648.5 << true << qint64(-2147483648LL);
    QTest::newRow("just below") << -2147483648.6 << false << qint64(0);
    QTest::newRow("infinity") << kInf << false << qint64(0);
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << qint64(0);
}

void tst_FieldCodecs::toInt32()
{
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(qint64, expected);

    const std::optional<std::int32_t> result = FieldCodecs::toInt32(x);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(qint64(*result), expected);
}

void tst_FieldCodecs::numberText_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("minus three") << -3.0 << "-3";
    QTest::newRow("read from 007") << FieldCodecs::numericValue("007") << "7";
    QTest::newRow("no exponent for a million") << 1e6 << "1000000";
    QTest::newRow("16 exact digits") << 1234567890123456.0 << "1234567890123456";
    QTest::newRow("negative fraction") << -2.75 << "-2.75";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("sum with binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("third") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("large fraction") << 123456789012.5 << "123456789012.5";
    QTest::newRow("tiny") << 1e-5 << "1E-05";
    QTest::newRow("tiny negative") << -1.5e-7 << "-1.5E-07";
    QTest::newRow("beyond exact integers") << 1e20 << "1E+20";
    QTest::newRow("huge") << 1.5e300 << "1.5E+300";
    QTest::newRow("infinity") << kInf << "inf";
    QTest::newRow("minus infinity") << -kInf << "-inf";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
}

void tst_FieldCodecs::numberText()
{
    QFETCH(double, x);
    QFETCH(QString, expected);

    QCOMPARE(FieldCodecs::numberText(x), expected);
    // A comma here would split a record field in two on the wire.
    const CommaLocale commaLocale;
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(FieldCodecs::numberText(x), expected);
    if (std::isfinite(x))
        QCOMPARE(FieldCodecs::numericValue(FieldCodecs::numberText(x)), FieldCodecs::numericValue(expected));
}

void tst_FieldCodecs::wildcardMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");

    addMatchRow("same", "abc", "abc", true);
    addMatchRow("case counts", "abc", "ABC", false);
    addMatchRow("whole text", "abcd", "abc", false);
    addMatchRow("both empty", "", "", true);
    addMatchRow("empty pattern", "a", "", false);
    addMatchRow("star on empty", "", "*", true);
    addMatchRow("star at end", "abc", "a*", true);
    addMatchRow("star matches none", "ac", "a*c", true);
    addMatchRow("star backtracks", "abcbc", "a*bc", true);
    addMatchRow("star cannot skip end", "abcb", "a*bc", false);
    addMatchRow("question one", "abc", "a?c", true);
    addMatchRow("hash digit", "a5", "a#", true);
    addMatchRow("hash needs ascii digit", QString(QChar(0x0663)), "#", false);
    addMatchRow("list in", "b", "[abc]", true);
    addMatchRow("range case", "M", "[a-z]", false);
    addMatchRow("two ranges", "K", "[a-zA-Z]", true);
    addMatchRow("descending range", "b", "[z-a]", false);
    addMatchRow("negated out", "d", "[!abc]", true);
    addMatchRow("negated range", "5", "[!0-9]", false);
    addMatchRow("bang not first is plain", "!", "[a!]", true);
    addMatchRow("dash last is plain", "-", "[a-]", true);
    addMatchRow("star in list is plain", "*", "[*]", true);
    addMatchRow("open bracket in list", "[", "[[]", true);
    addMatchRow("empty list", "a", "[]", false);
    addMatchRow("empty negated list", "a", "[!]", true);
    addMatchRow("unclosed bracket is plain", "[a", "[a", true);
    addMatchRow("unclosed bracket then star", "[abc", "[a*", true);
    addMatchRow("latin-1 characters", QString::fromLatin1("caf\xe9"), QString::fromLatin1("caf[\xe0-\xff]"), true);
    addMatchRow("filter hides alarm 25", "12:01 I_ALR 3,25,0", "*I_ALR*,25**", true);
    addMatchRow("filter keeps alarm 2", "12:01 I_ALR 3,2", "*I_ALR*,25**", false);
    addMatchRow("filter needs order", ",25 I_ALR", "*I_ALR*,25**", false);
    addMatchRow("password line", "A_CPW1234", "*A_CPW*", true);
    addMatchRow("end marker alternative", "x<end>y", "*<end>*", true);

    // Star-heavy patterns on a long line must finish: a naive recursive match
    // would try every way to share the text among the stars.
    const QString as(20000, u'a');
    addMatchRow("many stars, no b", as, "*a*a*a*a*a*a*a*a*a*a*b", false);
    addMatchRow("many stars, b last", as + u'b', "*a*a*a*a*a*a*a*a*a*a*b", true);
    addMatchRow("question stars", as, "*?*?*?*?*?*?*?*?*?*?x", false);
    addMatchRow("lists and stars", as, "*[a-c]*[!b]*[a]*#*", false);
    addMatchRow("star runs", as, QString(5000, u'*') + u'b', false);
}

void tst_FieldCodecs::wildcardMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);

    QCOMPARE(FieldCodecs::wildcardMatch(text, pattern), matches);
}

QTEST_GUILESS_MAIN(tst_FieldCodecs)
#include "tst_fieldcodecs.moc"
