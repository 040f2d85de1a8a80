// The per-user settings: named text and integer values in sections. No
// cache: every reader asks the store when it needs a value, so a change is
// seen by the next read anywhere. Section names ignore case ("ToolBar" and
// "Toolbar" are one section); values are exact strings.
#pragma once

#include "batch/settings_access.h"

#include <QString>
#include <memory>

class QSettings;

class CSettingsStore : public batch::CSettingsAccess {
public:
    // The user's own store: the registry key "Kelvanetrix Plus Setting\Kelvanetrix
    // Plus" on Windows, the settings file of those two names elsewhere.
    CSettingsStore();
    // A store kept in the given file (tests, portable setups).
    explicit CSettingsStore(const QString& iniFile);
    ~CSettingsStore() override;

    QString GetString(const QString& section, const QString& entry);
    void WriteString(const QString& section, const QString& entry, const QString& value);
    unsigned GetInt(const QString& section, const QString& entry, unsigned defaultValue);
    void WriteInt(const QString& section, const QString& entry, unsigned value);

    std::string GetProfileString(const std::string& section, const std::string& entry) override;
    void WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) override;

    QString Location() const;

    // The store every window reads from; tests point it elsewhere.
    static CSettingsStore& Instance();
    static void SetInstance(std::unique_ptr<CSettingsStore> store);

private:
    QString Key(const QString& section, const QString& entry);

    std::unique_ptr<QSettings> m_settings;
};
