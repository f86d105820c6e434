// The settings store's registry session on Windows: HKEY_CURRENT_USER, full access.
#pragma once

#include <windows.h>

#include "../unique_handle.h"
#include "settings.h"

class WindowsRegistry final : public RegistryAccess {
public:
    bool OpenKey(const std::string& path) override;
    bool CreateKey(const std::string& path) override;
    void CloseKey() noexcept override;
    long QueryValue(const std::string& name, unsigned long& type, unsigned char* data, unsigned long& size) override;
    long SetValue(const std::string& name, unsigned long type, const unsigned char* data, unsigned long size) override;

private:
    // Only the one open key is held; opening another closes it first.
    UniqueHandle<HKEY, &RegCloseKey> key_;
};
