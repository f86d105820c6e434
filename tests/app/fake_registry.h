// A registry in memory that answers as Windows does: key paths and value names compared
// without regard to ASCII case, and RegQueryValueExA's rules for sizes and buffers.
#pragma once

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/settings.h"

struct IgnoringCase {
    bool operator()(const std::string& a, const std::string& b) const { return LowerCaseAscii(a) < LowerCaseAscii(b); }
};

struct FakeValue {
    unsigned long type = 0;
    std::vector<unsigned char> data;
    bool operator==(const FakeValue&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const FakeValue& value)
    {
        out << "type " << value.type << ":";
        for (unsigned char byte : value.data) out << ' ' << static_cast<unsigned>(byte);
        return out;
    }
};

inline FakeValue Bytes(unsigned long type, std::string bytes) { return {type, {bytes.begin(), bytes.end()}}; }
inline FakeValue Text(const std::string& text) { return Bytes(RegistryType::String, text + '\0'); }
inline FakeValue DWord(unsigned value)
{
    return Bytes(RegistryType::DWord, {char(value), char(value >> 8), char(value >> 16), char(value >> 24)});
}

using FakeKey = std::map<std::string, FakeValue, IgnoringCase>;

class FakeRegistry final : public RegistryAccess {
public:
    static constexpr long FileNotFound = 2, AccessDenied = 5, InvalidHandle = 6;

    std::map<std::string, FakeKey, IgnoringCase> keys;  // subkeys of HKEY_CURRENT_USER
    bool refuseFullAccess = false;
    std::string failingWrite;  // the value name whose RegSetValueExA fails
    int failingQuery = 0;  // the RegQueryValueExA call (1-based) that fails, 0 for none ...
    long failingQueryStatus = 0;  // ... with this status
    std::string calls;  // "open <path>;", "create <path>;", "set <name>;", "close;"

    bool IsOpen() const { return open_ != nullptr; }

    bool OpenKey(const std::string& path) override
    {
        calls += "open " + path + ";";
        CloseKey();
        const auto it = keys.find(path);
        if (refuseFullAccess || path.starts_with('\\') || it == keys.end()) return false;
        open_ = &it->second;
        return true;
    }
    bool CreateKey(const std::string& path) override
    {
        calls += "create " + path + ";";
        CloseKey();
        if (refuseFullAccess || path.starts_with('\\')) return false;
        open_ = &keys[path];
        return true;
    }
    void CloseKey() noexcept override
    {
        if (open_) calls += "close;";
        open_ = nullptr;
    }
    long QueryValue(const std::string& name, unsigned long& type, unsigned char* data, unsigned long& size) override
    {
        if (++queries_ == failingQuery) return failingQueryStatus;
        if (!open_) return InvalidHandle;
        const auto it = open_->find(name);
        if (it == open_->end()) return FileNotFound;
        const FakeValue& value = it->second;
        type = value.type;
        const unsigned long buffer = size;
        size = static_cast<unsigned long>(value.data.size());
        if (data == nullptr) return RegistryStatus::Success;
        if (buffer < size) return RegistryStatus::MoreData;
        std::copy(value.data.begin(), value.data.end(), data);
        return RegistryStatus::Success;
    }
    long SetValue(const std::string& name, unsigned long type, const unsigned char* data, unsigned long size) override
    {
        calls += "set " + name + ";";
        if (!open_) return InvalidHandle;
        if (LowerCaseAscii(name) == LowerCaseAscii(failingWrite)) return AccessDenied;
        (*open_)[name] = FakeValue{type, {data, data + size}};
        return RegistryStatus::Success;
    }

private:
    FakeKey* open_ = nullptr;
    int queries_ = 0;
};

// The form's check marks and folder; "applied" lists each value the store set, in order.
class FakeSettingsForm final : public SettingsTarget {
public:
    bool lokal = false, mbytes = false;
    std::string folder, applied;

    bool LokalChecked() const override { return lokal; }
    bool MbytesChecked() const override { return mbytes; }
    std::string DailyLogFolder() const override { return folder; }
    void SetLokalChecked(bool on) override { lokal = on, applied += on ? "lokal=1;" : "lokal=0;"; }
    void SetMbytesChecked(bool on) override { mbytes = on, applied += on ? "mbytes=1;" : "mbytes=0;"; }
    void SetDailyLogFolder(const std::string& text) override { folder = text, applied += "folder=" + text + ";"; }
};
