#include "progresspercent.h"

#include <cstdint>

namespace ProgressPercent {

namespace {

struct Quotient
{
    std::int64_t whole = 0;
    std::int64_t remainder = 0;
};

// Positions are non-negative, so truncating division is the whole part.
Quotient divide(int position, int maximum)
{
    const std::int64_t numerator = std::int64_t(position) * 100;
    return {numerator / maximum, numerator % maximum};
}

} // namespace

int wholePercent(int position, int maximum)
{
    if (maximum <= 0 || position < 0)
        return 0;
    return static_cast<int>(divide(position, maximum).whole);
}

int roundedPercent(int position, int maximum)
{
    if (maximum <= 0 || position < 0)
        return 0;
    const Quotient q = divide(position, maximum);
    const std::int64_t twice = q.remainder * 2;
    std::int64_t result = q.whole;
    if (twice > maximum || (twice == maximum && result % 2 != 0))
        ++result;
    return static_cast<int>(result);
}

QString percentText(int position, int maximum)
{
    return QString::number(roundedPercent(position, maximum)) + QLatin1Char('%');
}

} // namespace ProgressPercent
