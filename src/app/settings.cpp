// Loading and saving the settings through a registry session.
#include "settings.h"

#include <algorithm>
#include <vector>

#include "../errors.h"

namespace {

// Value names: the second option is written with a capital B and read with a small one;
// the registry ignores the case of value names, so both denote the same value.
constexpr const char* kLokal = "Lokal";
constexpr const char* kMbyteRead = "Mbyte";
constexpr const char* kMByteWritten = "MByte";
constexpr const char* kDailyLog = "dailylog";

// Closes whatever key is still open when the operation ends, also when an error passes.
class OpenKeyGuard {
public:
    explicit OpenKeyGuard(RegistryAccess& registry) noexcept : registry_(registry) {}
    ~OpenKeyGuard() { registry_.CloseKey(); }
    OpenKeyGuard(const OpenKeyGuard&) = delete;
    OpenKeyGuard& operator=(const OpenKeyGuard&) = delete;

private:
    RegistryAccess& registry_;
};

std::string WithName(const char* message, const std::string& name) { return message + ("'" + name + "'"); }

[[noreturn]] void FetchError(const std::string& name)
{
    throw ERegistryException(WithName("Fehler beim Holen der Daten für ", name));
}

[[noreturn]] void TypeError(const std::string& name)
{
    throw ERegistryException(WithName("Ungültiger Datentyp für ", name));
}

[[noreturn]] void StoreError(const std::string& name)
{
    throw ERegistryException(WithName("Fehler beim Setzen der Daten für ", name), ERegistryException::Access::Store);
}

}  // namespace

std::string SubkeyPath(const std::string& path)
{
    return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

bool ReadBool(RegistryAccess& registry, const std::string& name)
{
    unsigned char data[4] = {};
    unsigned long type = 0;
    unsigned long size = sizeof data;
    // Data longer than 4 bytes makes the query fail, whatever its type.
    if (registry.QueryValue(name, type, data, size) != RegistryStatus::Success) FetchError(name);
    if (type != RegistryType::DWord) TypeError(name);
    return std::any_of(std::begin(data), std::end(data), [](unsigned char byte) { return byte != 0; });
}

std::string ReadString(RegistryAccess& registry, const std::string& name)
{
    unsigned long type = 0;
    unsigned long size = 0;
    // A value that is missing, or has no data, is the empty text whatever its type.
    if (registry.QueryValue(name, type, nullptr, size) != RegistryStatus::Success || size == 0) return {};
    std::vector<unsigned char> data(size);
    if (registry.QueryValue(name, type, data.data(), size) != RegistryStatus::Success) FetchError(name);
    if (type != RegistryType::String && type != RegistryType::ExpandString) TypeError(name);
    // Environment references in an expandable text stay as they are.
    const auto end = data.begin() + std::min<std::size_t>(size, data.size());
    return {data.begin(), std::find(data.begin(), end, 0)};
}

void WriteBool(RegistryAccess& registry, const std::string& name, bool on)
{
    const unsigned char data[4] = {static_cast<unsigned char>(on ? 1 : 0), 0, 0, 0};
    if (registry.SetValue(name, RegistryType::DWord, data, sizeof data) != RegistryStatus::Success) StoreError(name);
}

void WriteString(RegistryAccess& registry, const std::string& name, const std::string& text)
{
    std::vector<unsigned char> data(text.begin(), text.end());
    data.push_back(0);
    if (registry.SetValue(name, RegistryType::String, data.data(), static_cast<unsigned long>(data.size())) !=
        RegistryStatus::Success)
        StoreError(name);
}

void LoadSettings(RegistryAccess& registry, SettingsTarget& target)
{
    OpenKeyGuard guard(registry);
    if (!registry.OpenKey(SubkeyPath(kSettingsKey))) return;
    target.SetLokalChecked(ReadBool(registry, kLokal));
    target.SetMbytesChecked(ReadBool(registry, kMbyteRead));
    target.SetDailyLogFolder(ReadString(registry, kDailyLog));
}

void SaveSettings(RegistryAccess& registry, const SettingsTarget& source)
{
    OpenKeyGuard guard(registry);
    if (!registry.CreateKey(SubkeyPath(kSettingsKey))) return;
    WriteBool(registry, kLokal, source.LokalChecked());
    WriteBool(registry, kMByteWritten, source.MbytesChecked());
    WriteString(registry, kDailyLog, source.DailyLogFolder());
}
