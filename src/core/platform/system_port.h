// Facts about the running system.
#pragma once

#include <cstdint>
#include <string>

namespace calvox {

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t platformId = 0;  // 1 = Windows 9x, 2 = NT
    std::string servicePack;       // szCSDVersion
};

struct LocalTimeParts {
    int year = 0;  // e.g. 2006
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;
    int minute = 0;
};

class SystemPort {
public:
    virtual ~SystemPort() = default;

    // GetVersionEx with the basic 148-byte record.
    virtual bool GetVersion(OsVersion& version) = 0;
    // The logged-on user's name (GetUserName).
    virtual bool GetUserName(std::string& name) = 0;
    // The current user's application-data folder.
    virtual bool GetAppDataFolder(std::string& folder) = 0;
    // Seconds since 1970 (UTC) in the local time zone; false when they cannot be converted.
    virtual bool ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) = 0;
};

}  // namespace calvox
