#include "fieldcodecs.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace FieldCodecs {

std::optional<SplitResult> splitString(const QString &text, QChar separator)
{
    SplitResult result;
    int count = 0;
    // Positions below count from 1, as the record layout describes them.
    qsizetype previous = 1;
    for (;;) {
        // The search starts at position previous + 1, which is index previous.
        const qsizetype index = text.indexOf(separator, previous);
        const qsizetype found = index < 0 ? 0 : index + 1;
        QString field;
        if (found != 0 && previous == 1)
            field = text.left(found - 1);
        else if (found != 0)
            field = text.mid(previous, found - 1 - previous);
        else if (previous == 1)
            field = text;
        else
            field = text.mid(previous);
        if (count > kMaxSplitFields)
            return std::nullopt;
        result[count++] = field;
        if (found == 0)
            break;
        previous = found;
    }
    // The end marker needs a slot of its own: a 51st field fits, its marker does not.
    if (count > kMaxSplitFields)
        return std::nullopt;
    result[count] = QLatin1String(kEndMarker);
    return result;
}

QString padText(QString &text, qint16 width, const QString &fill, qint16 side)
{
    // An empty fill could never lengthen the text; padding with it would not end.
    if (fill.isEmpty() || text.size() >= width)
        return text;
    const qsizetype missing = width - text.size();
    const qsizetype times = (missing + fill.size() - 1) / fill.size();
    const QString padding = fill.repeated(times);
    text = side == 0 ? padding + text : text + padding;
    return text;
}

QString padText(const QString &text, qint16 width, const QString &fill, qint16 side)
{
    QString copy = text;
    return padText(copy, width, fill, side);
}

namespace {

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = base;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

// Reads text from index 'from' on, stepping over the blanks that may stand
// anywhere inside a number.
class NumberReader
{
public:
    NumberReader(const QString &text, qsizetype from)
        : m_text(text)
        , m_pos(from)
    {
        skipBlanks();
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }
    void advance()
    {
        ++m_pos;
        skipBlanks();
    }
    bool take(char16_t lower, char16_t upper)
    {
        if (atEnd() || (peek() != lower && peek() != upper))
            return false;
        advance();
        return true;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos) == u' ')
            ++m_pos;
    }

    const QString &m_text;
    qsizetype m_pos;
};

double radixValue(NumberReader &reader)
{
    int base = 0;
    if (reader.take(u'h', u'H'))
        base = 16;
    else if (reader.take(u'o', u'O'))
        base = 8;
    else
        return 0;
    // Accumulated as a double: a long digit run grows to infinity, never wraps.
    double value = 0;
    for (int digit; !reader.atEnd() && (digit = digitValue(reader.peek(), base)) >= 0; reader.advance())
        value = value * base + digit;
    // Two's-complement reading as 16 bits where the value fits them, else as 32 bits.
    if (value <= 0xFFFF)
        return value > 0x7FFF ? value - 65536.0 : value;
    if (value <= 0xFFFFFFFFu)
        return value > 0x7FFFFFFF ? value - 4294967296.0 : value;
    return value;
}

// Significant digits kept from a long mantissa: more than a double can tell apart.
constexpr std::size_t kMaxSignificantDigits = 800;
// Beyond this many decimal orders of magnitude a value is infinite or 0 anyway.
constexpr long long kMaxDecimalMagnitude = 400;
constexpr long long kExponentCap = 1'000'000'000;

double decimalValue(NumberReader &reader)
{
    bool negative = false;
    if (reader.take(u'-', u'-'))
        negative = true;
    else
        reader.take(u'+', u'+');

    std::string digits; // significant digits, leading zeros dropped
    long long exponent = 0; // decimal exponent applied to 'digits'
    bool seenPoint = false;
    for (; !reader.atEnd(); reader.advance()) {
        const QChar c = reader.peek();
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!isDecimalDigit(c))
            break;
        if (seenPoint)
            --exponent;
        if (digits.empty() && c == u'0')
            continue;
        if (digits.size() < kMaxSignificantDigits)
            digits.push_back(char(c.unicode()));
        else
            ++exponent; // a dropped digit still counts for the place of the point
    }

    if (reader.take(u'e', u'E') || reader.take(u'd', u'D')) {
        bool negativeExponent = false;
        if (reader.take(u'-', u'-'))
            negativeExponent = true;
        else
            reader.take(u'+', u'+');
        long long written = 0;
        for (; !reader.atEnd() && isDecimalDigit(reader.peek()); reader.advance())
            written = std::min(written * 10 + (reader.peek().unicode() - u'0'), kExponentCap);
        exponent += negativeExponent ? -written : written;
    }

    if (digits.empty())
        return 0;
    const long long magnitude = static_cast<long long>(digits.size()) + exponent;
    double value;
    if (magnitude > kMaxDecimalMagnitude) {
        value = std::numeric_limits<double>::infinity();
    } else if (magnitude < -kMaxDecimalMagnitude) {
        return 0;
    } else {
        const std::string number = digits + 'e' + std::to_string(exponent);
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error == std::errc::result_out_of_range)
            value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        else if (error != std::errc())
            return 0;
    }
    if (value == 0)
        return 0;
    return negative ? -value : value;
}

} // namespace

double numericValue(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        const QChar c = text.at(start);
        if (c != u' ' && c != u'\t' && c != u'\n')
            break;
        ++start;
    }
    NumberReader reader(text, start);
    if (reader.take(u'&', u'&'))
        return radixValue(reader);
    return decimalValue(reader);
}

namespace {

template<typename Int> std::optional<Int> roundHalfEven(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double below = std::floor(x);
    const double fraction = x - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0))
        rounded = below + 1;
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(rounded);
}

// Integral doubles below this magnitude are exact, so they are written digit for digit.
constexpr double kExactIntegerLimit = 9007199254740992.0; // 2^53

} // namespace

std::optional<std::int16_t> toInt16(double x)
{
    return roundHalfEven<std::int16_t>(x);
}

std::optional<std::int32_t> toInt32(double x)
{
    return roundHalfEven<std::int32_t>(x);
}

QString numberText(double x)
{
    if (std::isnan(x))
        return QStringLiteral("nan");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (x == std::trunc(x) && std::fabs(x) < kExactIntegerLimit)
        return QString::number(static_cast<qint64>(x));
    // QString::number always uses the C locale, so the point is "." everywhere.
    QString text = QString::number(x, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0)
        return text;
    QString digits = text.mid(e + 2);
    if (digits.size() < 2)
        digits.prepend(u'0');
    return text.left(e) + u'E' + text.at(e + 1) + digits;
}

namespace {

struct PatternToken
{
    enum Kind { Literal, AnyChar, Digit, Star, List };
    Kind kind = Literal;
    char16_t ch = 0;
    bool negated = false;
    // The list's characters are pattern[listBegin, listEnd).
    qsizetype listBegin = 0;
    qsizetype listEnd = 0;
};

using PatternTokens = QVarLengthArray<PatternToken, 64>;

PatternTokens tokenize(const QString &pattern)
{
    PatternTokens tokens;
    const qsizetype size = pattern.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = pattern.at(i).unicode();
        PatternToken token;
        switch (c) {
        case u'*':
            // A run of stars matches what one star matches.
            if (!tokens.isEmpty() && tokens.last().kind == PatternToken::Star)
                continue;
            token.kind = PatternToken::Star;
            break;
        case u'?':
            token.kind = PatternToken::AnyChar;
            break;
        case u'#':
            token.kind = PatternToken::Digit;
            break;
        case u'[': {
            qsizetype begin = i + 1;
            const bool negated = begin < size && pattern.at(begin) == u'!';
            if (negated)
                ++begin;
            const qsizetype close = pattern.indexOf(u']', begin);
            if (close < 0) {
                token.ch = c; // an unclosed bracket is an ordinary character
                break;
            }
            token.kind = PatternToken::List;
            token.negated = negated;
            token.listBegin = begin;
            token.listEnd = close;
            i = close;
            break;
        }
        default:
            token.ch = c;
            break;
        }
        tokens.append(token);
    }
    return tokens;
}

bool inList(const QString &pattern, const PatternToken &token, char16_t c)
{
    for (qsizetype k = token.listBegin; k < token.listEnd;) {
        const char16_t low = pattern.at(k).unicode();
        if (k + 2 < token.listEnd && pattern.at(k + 1) == u'-') {
            if (c >= low && c <= pattern.at(k + 2).unicode())
                return true;
            k += 3;
        } else {
            if (c == low)
                return true;
            ++k;
        }
    }
    return false;
}

bool matchesOne(const QString &pattern, const PatternToken &token, char16_t c)
{
    switch (token.kind) {
    case PatternToken::Literal:
        return c == token.ch;
    case PatternToken::AnyChar:
        return true;
    case PatternToken::Digit:
        return c >= u'0' && c <= u'9';
    case PatternToken::List:
        return inList(pattern, token, c) != token.negated;
    case PatternToken::Star:
        break;
    }
    return false;
}

} // namespace

bool wildcardMatch(const QString &text, const QString &pattern)
{
    const PatternTokens tokens = tokenize(pattern);
    const qsizetype textSize = text.size();
    const qsizetype tokenCount = tokens.size();
    // Every token but the star takes exactly one character, so on a mismatch it is
    // enough to let the most recent star take one character more: earlier stars
    // could only give the same chances again. This keeps the match to at most
    // text length times pattern length steps instead of trying every split.
    qsizetype t = 0;
    qsizetype k = 0;
    qsizetype starToken = -1;
    qsizetype starText = 0;
    while (t < textSize) {
        if (k < tokenCount && tokens[k].kind == PatternToken::Star) {
            starToken = k++;
            starText = t;
        } else if (k < tokenCount && matchesOne(pattern, tokens[k], text.at(t).unicode())) {
            ++t;
            ++k;
        } else if (starToken >= 0) {
            k = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (k < tokenCount && tokens[k].kind == PatternToken::Star)
        ++k;
    return k == tokenCount;
}

} // namespace FieldCodecs
