// The settings store: the two stored options and the daily-log folder, kept in one key of
// the current user's registry from one run to the next.
#pragma once

#include <string>

// The registry's value types, as the store tells them apart.
namespace RegistryType {
inline constexpr unsigned long String = 1;  // REG_SZ
inline constexpr unsigned long ExpandString = 2;  // REG_EXPAND_SZ
inline constexpr unsigned long Binary = 3;  // REG_BINARY
inline constexpr unsigned long DWord = 4;  // REG_DWORD, 32 bits little-endian
}  // namespace RegistryType

// The status codes of the registry calls that the store tells apart.
namespace RegistryStatus {
inline constexpr long Success = 0;  // ERROR_SUCCESS
inline constexpr long MoreData = 234;  // ERROR_MORE_DATA: the buffer is smaller than the data
}  // namespace RegistryStatus

// The key as the program holds it: absolute, from HKEY_CURRENT_USER.
inline const std::string kSettingsKey = "\\Software\\Korvel\\merovant";

// One registry session under HKEY_CURRENT_USER with full access and at most one open key.
// Windows and test fakes implement it; the calls mirror the ANSI registry functions.
class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;
    // Opens an existing key (RegOpenKeyExA); the path is relative to the root.
    virtual bool OpenKey(const std::string& path) = 0;
    // Opens the key, creating it and every missing key on its path (RegCreateKeyExA).
    virtual bool CreateKey(const std::string& path) = 0;
    // Closes the open key, if there is one, without flushing it.
    virtual void CloseKey() noexcept = 0;
    // RegQueryValueExA on the open key. With data null only type and size are asked for;
    // otherwise size holds the buffer's size on entry. On return size holds the data's
    // size. The result is the Windows status code.
    virtual long QueryValue(const std::string& name, unsigned long& type, unsigned char* data, unsigned long& size) = 0;
    // RegSetValueExA on the open key; replaces a value of the same name, whatever its type.
    virtual long SetValue(const std::string& name, unsigned long type, const unsigned char* data,
                          unsigned long size) = 0;
};

// What the store reads from and writes to: the main form's check marks and its folder field.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;
    virtual bool LokalChecked() const = 0;  // "&Nur lokale Festplatten"
    virtual bool MbytesChecked() const = 0;  // "Anzeige in &Mbytes"
    virtual std::string DailyLogFolder() const = 0;
    virtual void SetLokalChecked(bool on) = 0;
    virtual void SetMbytesChecked(bool on) = 0;
    virtual void SetDailyLogFolder(const std::string& folder) = 0;
};

// Removes the leading backslash that marks a path as absolute: Windows takes the subkey
// without it.
std::string SubkeyPath(const std::string& path);

// Reads the three values and applies each to the target as soon as it is read. A key that
// is absent or refuses full access leaves the target untouched, without an error. Raises
// ERegistryException for a value that is missing or of the wrong kind; the values before
// it stay applied. The key is closed on every path.
void LoadSettings(RegistryAccess& registry, SettingsTarget& target);

// Writes the three values, creating the key when needed. A key that can be neither opened
// nor created means nothing is written, without an error. Raises ERegistryException for a
// failed write; the values before it stay written. The key is closed on every path.
void SaveSettings(RegistryAccess& registry, const SettingsTarget& source);

// The single-value reads and writes on the open key, raising ERegistryException.
bool ReadBool(RegistryAccess& registry, const std::string& name);
std::string ReadString(RegistryAccess& registry, const std::string& name);
void WriteBool(RegistryAccess& registry, const std::string& name, bool on);
void WriteString(RegistryAccess& registry, const std::string& name, const std::string& text);
