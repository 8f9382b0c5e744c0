#include "settings/SettingText.h"

#include <cmath>

std::optional<bool> SettingText::truth(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (trimmed.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (const auto value = number(trimmed))
        return *value != 0.0;
    return std::nullopt;
}

bool SettingText::isNumberOne(const QString& text)
{
    const auto value = number(text);
    return value && *value == 1.0;
}

std::optional<double> SettingText::number(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void SettingText::assignTruth(bool& field, const QString& text)
{
    if (const auto value = truth(text))
        field = *value;
}

void SettingText::assignNumber(double& field, const QString& text)
{
    if (const auto value = number(text))
        field = *value;
}

QString SettingText::fromNumber(double value)
{
    return QString::number(value, 'g', 15);
}

std::optional<long long> SettingText::wholeNumber(const QString& text, long long min, long long max)
{
    const auto value = number(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < static_cast<double>(min) || rounded > static_cast<double>(max))
        return std::nullopt;
    return static_cast<long long>(rounded);
}
