#include "core/number_or_text.h"

#include <cmath>

namespace sky {

std::optional<double> parseSettingsNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> parseSettingsNumber(const QString &text, NumberRange range)
{
    const std::optional<double> value = parseSettingsNumber(text);
    if (!value)
        return std::nullopt;
    const double whole = std::nearbyint(*value);
    if (whole < range.lowest || whole > range.highest)
        return std::nullopt;
    return value;
}

QString formatSettingsNumber(double value)
{
    const QString digits = QString::number(std::fabs(value), 'g', 15);
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

void NumberOrText::loadText(const QString &line)
{
    m_text = line;
    m_set = true;
    m_value = parseSettingsNumber(line, m_range).value_or(m_start);
}

QString NumberOrText::settingsLine() const
{
    if (m_text)
        return *m_text;
    if (!m_set)
        return {};
    return formatSettingsNumber(m_value);
}

} // namespace sky
