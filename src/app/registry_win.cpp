// The registry calls of the settings store, in their ANSI form.
#include "registry_win.h"

bool WindowsRegistry::OpenKey(const std::string& path)
{
    key_.reset();
    HKEY key = nullptr;
    // A key that refuses full access counts as absent.
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    key_.reset(key);
    return true;
}

bool WindowsRegistry::CreateKey(const std::string& path)
{
    key_.reset();
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return false;
    key_.reset(key);
    return true;
}

void WindowsRegistry::CloseKey() noexcept { key_.reset(); }

long WindowsRegistry::QueryValue(const std::string& name, unsigned long& type, unsigned char* data, unsigned long& size)
{
    DWORD valueType = 0;
    DWORD dataSize = data ? size : 0;
    const LONG status = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &valueType, data, &dataSize);
    type = valueType;
    size = dataSize;
    return status;
}

long WindowsRegistry::SetValue(const std::string& name, unsigned long type, const unsigned char* data,
                               unsigned long size)
{
    return RegSetValueExA(key_.get(), name.c_str(), 0, type, data, size);
}
