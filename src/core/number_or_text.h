#pragma once

#include <QString>

#include <optional>

namespace sky {

// The numbers a value may hold: those of the type it is used as.
struct NumberRange
{
    double lowest;
    double highest;
};
inline constexpr NumberRange kInt16Range{-32768, 32767};
inline constexpr NumberRange kInt32Range{-2147483648.0, 2147483647};

// A shared value that is used as a number but, once loaded from the
// settings file, remembers the text of its line so that it is written back
// exactly as it was read. A text that is no number, or a number outside the
// range of the type the value is used as, counts as the start value wherever
// the value is used. A value that was never set is empty: it counts as 0 and
// is written as an empty line.
class NumberOrText
{
public:
    NumberOrText() = default;
    NumberOrText(double startValue, NumberRange range = kInt16Range)
        : m_value(startValue), m_start(startValue), m_range(range), m_set(true)
    {
    }

    NumberOrText &operator=(double value)
    {
        m_value = value;
        m_text.reset();
        m_set = true;
        return *this;
    }

    double value() const { return m_value; }
    operator double() const { return m_value; }
    bool isEmpty() const { return !m_set; }

    // Takes a line of the settings file.
    void loadText(const QString &line);
    // The line this value writes to the settings file.
    QString settingsLine() const;

private:
    double m_value = 0;
    double m_start = 0;
    NumberRange m_range = kInt16Range;
    std::optional<QString> m_text;
    bool m_set = false;
};

// A decimal number with blanks on either side; nothing when the text is no
// number.
std::optional<double> parseSettingsNumber(const QString &text);
// The same, and nothing either when the number, rounded to a whole one, lies
// outside range.
std::optional<double> parseSettingsNumber(const QString &text, NumberRange range);

// A number as the settings file holds it: a leading blank when it is not
// negative, a minus sign otherwise.
QString formatSettingsNumber(double value);

} // namespace sky
