#include "progresspercent.h"

#include <cmath>

namespace ProgressPercent {

std::int64_t roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    auto whole = static_cast<std::int64_t>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

double percentage(int position, int maximum)
{
    if (maximum <= 0)
        return 0.0;
    return static_cast<double>(position) / maximum * 100.0;
}

QString percentText(int position, int maximum)
{
    return QString::number(roundHalfToEven(percentage(position, maximum))) + QLatin1Char('%');
}

} // namespace ProgressPercent
