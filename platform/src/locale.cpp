#include "platform/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

namespace {

// The locale the environment names now; freed when the reading ends.
class EnvironmentLocale {
  public:
    EnvironmentLocale() : m_locale(newlocale(LC_ALL_MASK, "", nullptr)) {
        if (!m_locale) m_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    }
    ~EnvironmentLocale() {
        if (m_locale) freelocale(m_locale);
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;

    std::string item(nl_item what) const {
        if (!m_locale) return {};
        const char* text = nl_langinfo_l(what, m_locale);
        return text ? text : "";
    }

  private:
    locale_t m_locale;
};

std::string orFallback(std::string text, const char* fallback) {
    return text.empty() ? fallback : text;
}

// Which of day, month and year a date format names first decides the order code.
std::string dateOrder(const std::string& format) {
    const auto first = format.find_first_of("dmyYebB");
    if (first == std::string::npos) return "0";
    switch (format[first]) {
        case 'd':
        case 'e':
            return "1";
        case 'y':
        case 'Y':
            return "2";
        default:
            return "0";
    }
}

bool itemText(LCTYPE type, std::string& text) {
    const EnvironmentLocale locale;
    const std::string country = orFallback(locale.item(_NL_IDENTIFICATION_TERRITORY), "Invariant Country");
    switch (type & 0xFFFF) {  // the high bits are LOCALE_NOUSEROVERRIDE and friends
        case LOCALE_SLANGUAGE: {
            const std::string language = locale.item(_NL_IDENTIFICATION_LANGUAGE);
            text =
                language.empty() ? "Invariant Language (Invariant Country)" : language + " (" + country + ")";
            return true;
        }
        case LOCALE_SCOUNTRY:
            text = country == "ISO" ? "Invariant Country" : country;  // the C locale names its source here
            return true;
        case LOCALE_SCURRENCY:
            text = orFallback(locale.item(CURRENCY_SYMBOL), "\xC2\xA4");
            return true;
        case LOCALE_IDATE:
        case LOCALE_ILDATE:
            text = dateOrder(locale.item(D_FMT));
            return true;
        default:
            return false;
    }
}

}  // namespace

int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
    if ((Locale != LOCALE_USER_DEFAULT && Locale != LOCALE_SYSTEM_DEFAULT) || cchData < 0 ||
        (cchData > 0 && !lpLCData)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    if (!itemText(LCType, text)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const int needed = static_cast<int>(text.size()) + 1;
    if (cchData == 0) return needed;
    if (cchData < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpLCData, text.c_str(), text.size() + 1);
    return needed;
}
