#pragma once

#include <QString>

#include <cstdint>
#include <limits>
#include <optional>

// The rules that turn a stored setting text into a value.
class SettingText {
public:
    // "True"/"False" in any letter case, or a number (non-zero is on).
    // Nothing for a text that is neither; an empty text is off.
    static std::optional<bool> truth(const QString& text);
    // On exactly when the text reads as the number 1.
    static bool isNumberOne(const QString& text);
    // The decimal value, rounded to a whole number; nothing when the text is
    // no number or the value does not fit the type.
    template <typename Int> static std::optional<Int> integer(const QString& text);
    static std::optional<double> number(const QString& text);

    // Leaves the field as it was when the text does not convert.
    static void assignTruth(bool& field, const QString& text);
    template <typename Int> static void assignInteger(Int& field, const QString& text)
    {
        if (const auto value = integer<Int>(text))
            field = *value;
    }
    static void assignNumber(double& field, const QString& text);

    // A number as a setting text: "300", "1.5".
    static QString fromNumber(double value);

private:
    static std::optional<long long> wholeNumber(const QString& text, long long min, long long max);
};

template <typename Int> std::optional<Int> SettingText::integer(const QString& text)
{
    const auto value = wholeNumber(text, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max());
    return value ? std::optional<Int>(static_cast<Int>(*value)) : std::nullopt;
}
