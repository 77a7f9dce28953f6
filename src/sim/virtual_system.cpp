#include "sim/virtual_system.h"

#include "sim/codepage.h"
#include "sim/script.h"

namespace calvox::sim {

bool VirtualSystem::GetVersion(OsVersion& version) {
    const std::size_t dot = version_.find('.');
    version = OsVersion{};
    version.major = static_cast<std::uint32_t>(std::stoul(version_.substr(0, dot)));
    version.minor = static_cast<std::uint32_t>(std::stoul(version_.substr(dot + 1)));
    version.platformId = 2;
    return true;
}

bool VirtualSystem::ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) {
    if (seconds < 0) return false;
    // The time zone is UTC: days since 1970 to a civil date.
    const std::int64_t days = seconds / 86400, rest = seconds % 86400;
    const std::int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    parts.year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    parts.month = static_cast<int>(month);
    parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    parts.hour = static_cast<int>(rest / 3600);
    parts.minute = static_cast<int>(rest % 3600 / 60);
    return true;
}

bool VirtualSystem::AnsiToWide(const std::string& ansi, std::u16string& wide) {
    wide = Cp1252ToUtf16(ansi);
    return true;
}

bool VirtualSystem::WideToAnsi(const std::u16string& wide, std::string& ansi) {
    ansi = Utf16ToCp1252(wide);
    return true;
}

void TraceObserver::KeyAction(int code, int count, bool released) {
    write_("action " + std::to_string(code) + " " + std::to_string(count) + " " +
           std::to_string(released ? 1 : 0));
}

void TraceObserver::SoundLoad(const std::string& file) {
    write_("sound load " + QuoteText(Cp1252ToUtf8(file)));
}

void TraceObserver::RecorderStart(const std::string& device, const std::string& file) {
    write_("recorder start " + QuoteText(Cp1252ToUtf8(device)) + " " +
           QuoteText(Cp1252ToUtf8(file)));
}

void TraceObserver::WriteLine(const std::string& line) { write_("log " + Cp1252ToUtf8(line)); }

}  // namespace calvox::sim
