// Settings kept by QSettings in the platform's native per-user store.
#include "config/settings_store.h"
#include "product_version.h"

#include <QSettings>

namespace {

std::unique_ptr<CSettingsStore>& instance()
{
    static std::unique_ptr<CSettingsStore> store;
    return store;
}

} // namespace

CSettingsStore::CSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral(KVN_PRODUCT_NAME " Setting"), QStringLiteral(KVN_PRODUCT_NAME)))
{
}

CSettingsStore::CSettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

CSettingsStore::~CSettingsStore() = default;

// The section as it is already stored, whatever its case; a new section is
// stored as the caller spells it.
QString CSettingsStore::Key(const QString& section, const QString& entry)
{
    QString stored = section;
    const QStringList groups = m_settings->childGroups();
    for (const QString& g : groups) {
        if (g.compare(section, Qt::CaseInsensitive) == 0) {
            stored = g;
            break;
        }
    }
    return stored + QLatin1Char('/') + entry;
}

QString CSettingsStore::GetString(const QString& section, const QString& entry)
{
    m_settings->sync(); // another copy of the program may have written meanwhile
    const QVariant v = m_settings->value(Key(section, entry));
    return v.isValid() ? v.toString() : QString();
}

void CSettingsStore::WriteString(const QString& section, const QString& entry, const QString& value)
{
    m_settings->setValue(Key(section, entry), value);
    m_settings->sync();
}

unsigned CSettingsStore::GetInt(const QString& section, const QString& entry, unsigned defaultValue)
{
    m_settings->sync();
    bool ok = false;
    const unsigned v = m_settings->value(Key(section, entry)).toUInt(&ok);
    return ok ? v : defaultValue;
}

void CSettingsStore::WriteInt(const QString& section, const QString& entry, unsigned value)
{
    m_settings->setValue(Key(section, entry), value);
    m_settings->sync();
}

std::string CSettingsStore::GetProfileString(const std::string& section, const std::string& entry)
{
    return GetString(QString::fromStdString(section), QString::fromStdString(entry)).toStdString();
}

void CSettingsStore::WriteProfileString(const std::string& section, const std::string& entry, const std::string& value)
{
    WriteString(QString::fromStdString(section), QString::fromStdString(entry), QString::fromStdString(value));
}

QString CSettingsStore::Location() const
{
    return m_settings->fileName();
}

CSettingsStore& CSettingsStore::Instance()
{
    auto& store = instance();
    if (!store)
        store = std::make_unique<CSettingsStore>();
    return *store;
}

void CSettingsStore::SetInstance(std::unique_ptr<CSettingsStore> store)
{
    instance() = std::move(store);
}
