// The settings entries' names, defaults and decoding.
#include "batch/settings_entries.h"

#include "batch/algorithm.h"

namespace batch::settings {

namespace {

const char* const kOn = "1";
const char* const kOff = "0";
const char* const kIdeaCode = "10";
const char* bit(bool on)
{
    return on ? kOn : kOff;
}

} // namespace

std::string StoredAlgorithm(CSettingsAccess& s)
{
    return s.GetProfileString("Arith", "value");
}
std::string AlgorithmCode(CSettingsAccess& s)
{
    return SelectAlgorithm(StoredAlgorithm(s));
}
void WriteAlgorithm(CSettingsAccess& s, const std::string& code)
{
    s.WriteProfileString("Arith", "value", code);
}

EncryptChoice StoredEncryptChoice(CSettingsAccess& s)
{
    return { s.GetProfileString("EncryptOption", "replace"), s.GetProfileString("EncryptOption", "add") };
}

void WriteEncryptChoice(CSettingsAccess& s, bool replace, bool add)
{
    s.WriteProfileString("EncryptOption", "replace", bit(replace));
    s.WriteProfileString("EncryptOption", "add", bit(add));
}

void WriteEncryptAdd(CSettingsAccess& s, bool add)
{
    s.WriteProfileString("EncryptOption", "add", bit(add));
}

OutputOptions EncryptOptions(const EncryptChoice& c)
{
    if (c.replace.empty())
        return { 1, 1 };
    if (c.replace == kOn)
        return { 1, c.add == kOn ? 1 : 0 };
    return { 0, 1 };
}

OutputOptions EncryptOptions(CSettingsAccess& s)
{
    OutputOptions o = EncryptOptions(StoredEncryptChoice(s));
    o.verify = VerifyResults(s);
    o.format = OffersAuthenticated(AlgorithmCode(s)) ? StoredFormat(s) : FileFormat::Compatible;
    o.strength = StoredStrength(s);
    return o;
}

FileFormat StoredFormat(CSettingsAccess& s)
{
    return s.GetProfileString("EncryptOption", "Format") == kOn ? FileFormat::Authenticated : FileFormat::Compatible;
}
void WriteFormat(CSettingsAccess& s, FileFormat format)
{
    s.WriteProfileString("EncryptOption", "Format", bit(format == FileFormat::Authenticated));
}

Strength StoredStrength(CSettingsAccess& s)
{
    return s.GetProfileString("EncryptOption", "Strength") == kOn ? Strength::Strong : Strength::Normal;
}
void WriteStrength(CSettingsAccess& s, Strength strength)
{
    s.WriteProfileString("EncryptOption", "Strength", bit(strength == Strength::Strong));
}

bool OffersAuthenticated(const std::string& code)
{
    return code != kIdeaCode;
}

bool VerifyResults(CSettingsAccess& s)
{
    return s.GetProfileString("EncryptOption", "verify") != kOff;
}
void WriteVerifyResults(CSettingsAccess& s, bool on)
{
    s.WriteProfileString("EncryptOption", "verify", bit(on));
}

std::string StoredDecryptReplace(CSettingsAccess& s)
{
    return s.GetProfileString("DecryptOption", "replace");
}
void WriteDecryptReplace(CSettingsAccess& s, bool replace)
{
    s.WriteProfileString("DecryptOption", "replace", bit(replace));
}

OutputOptions DecryptOptions(const std::string& replace)
{
    return { replace.empty() || replace == kOn ? 1 : 0, 1 };
}
OutputOptions DecryptOptions(CSettingsAccess& s)
{
    OutputOptions o = DecryptOptions(StoredDecryptReplace(s));
    o.verify = VerifyResults(s);
    return o;
}

std::string StoredViewFilter(CSettingsAccess& s)
{
    return s.GetProfileString("ViewOption", "Option");
}

std::string ViewFilter(CSettingsAccess& s)
{
    std::string code = StoredViewFilter(s);
    if (code.empty()) {
        code = kHideBothFilter;
        WriteViewFilter(s, code);
    }
    return code;
}

void WriteViewFilter(CSettingsAccess& s, const std::string& code)
{
    s.WriteProfileString("ViewOption", "Option", code);
}
bool FilterHidesHidden(const std::string& code)
{
    return code == "1" || code == "3";
}
bool FilterHidesSystem(const std::string& code)
{
    return code == "2" || code == "3";
}

std::string StoredFullRowSelect(CSettingsAccess& s)
{
    return s.GetProfileString("ViewOption", "Select");
}

bool FullRowSelect(CSettingsAccess& s)
{
    const std::string value = StoredFullRowSelect(s);
    return !value.empty() && value != kOff;
}

void WriteFullRowSelect(CSettingsAccess& s, bool on)
{
    s.WriteProfileString("ViewOption", "Select", bit(on));
}

std::string LastFolder(CSettingsAccess& s)
{
    return s.GetProfileString("ViewOption", "Folder");
}
void WriteLastFolder(CSettingsAccess& s, const std::string& path)
{
    s.WriteProfileString("ViewOption", "Folder", path);
}

} // namespace batch::settings
