// What the batch rules need of the settings store: read and write a text entry.
#pragma once

#include <string>

namespace batch {

class CSettingsAccess {
public:
    virtual ~CSettingsAccess() = default;
    // A missing entry reads as the empty text.
    virtual std::string GetProfileString(const std::string& section, const std::string& entry) = 0;
    virtual void WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) = 0;
};

} // namespace batch
