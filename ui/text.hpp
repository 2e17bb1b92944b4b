// QString to and from the UTF-16 code units the logic libraries keep text in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tulvo::ui {

inline QString toQString(std::u16string_view units) {
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

// A view of the text's units, valid while `text` lives unchanged.
inline std::u16string_view unitsOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

inline std::u16string toUnits(const QString& text) {
    return std::u16string(unitsOf(text));
}

}  // namespace tulvo::ui
