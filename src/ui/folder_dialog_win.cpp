// SHBrowseForFolderA with the shell's allocator and the pre-selection callback.
#include "folder_dialog_win.h"

#include <shlobj.h>

#include <cstring>

#include "../late_bound_win.h"
#include "../unique_handle.h"
#include "application_win.h"

namespace {

// The shell's functions, resolved when the browser is first shown.
struct ShellApi {
    decltype(&SHGetMalloc) getMalloc = LateBound<decltype(&SHGetMalloc)>("shell32.dll", "SHGetMalloc");
    decltype(&SHBrowseForFolderA) browseForFolder =
        LateBound<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    decltype(&SHGetPathFromIDListA) pathFromItem =
        LateBound<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    decltype(&SHGetDesktopFolder) desktopFolder =
        LateBound<decltype(&SHGetDesktopFolder)>("shell32.dll", "SHGetDesktopFolder");

    bool Complete() const { return getMalloc && browseForFolder && pathFromItem && desktopFolder; }
};

const ShellApi& ShellFunctions()
{
    // The browser needs COM in a single-threaded apartment on this thread.
    static const bool comReady = [] {
        const auto initialize = LateBound<HRESULT(WINAPI*)(LPVOID)>("ole32.dll", "CoInitialize");
        return initialize != nullptr && SUCCEEDED(initialize(nullptr));
    }();
    // The browser's tree view comes from comctl32, which shell32 loads on first use through
    // a delay-load. Loaded here from the system folder, that later request finds it loaded.
    // (Wine resolves such delay-loads on the default path beside the exe, whatever the
    // program restricted the search to; Windows keeps to the restriction.)
    static const bool commonControls = LoadSystemLibrary("comctl32.dll") != nullptr;
    static const ShellApi shell;
    static_cast<void>(comReady);
    static_cast<void>(commonControls);
    return shell;
}

void ReleaseAllocator(IMalloc* allocator) { allocator->Release(); }

using Allocator = UniqueHandle<IMalloc*, &ReleaseAllocator>;

// Memory the shell's allocator handed out, given back to it on every path.
class ShellMemory {
public:
    ShellMemory(IMalloc* allocator, void* memory) : allocator_(allocator), memory_(memory) {}
    ~ShellMemory()
    {
        if (memory_ != nullptr) allocator_->Free(memory_);
    }
    ShellMemory(const ShellMemory&) = delete;
    ShellMemory& operator=(const ShellMemory&) = delete;
    void* get() const { return memory_; }

private:
    IMalloc* allocator_;
    void* memory_;
};

class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
    ~ErrorModeScope() { SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT previous_;
};

bool NamesExistingFolder(const std::string& folder)
{
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CALLBACK PreselectFolder(HWND browser, UINT message, LPARAM, LPARAM data) noexcept
{
    if (message == BFFM_INITIALIZED && data != 0) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// The root as an item list of the desktop folder; nullptr for the whole namespace.
LPITEMIDLIST RootItem(const ShellApi& shell, HWND owner, const std::string& root)
{
    if (root.empty()) return nullptr;
    IShellFolder* desktop = nullptr;
    if (FAILED(shell.desktopFolder(&desktop))) return nullptr;
    std::wstring wide(root.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    LPITEMIDLIST item = nullptr;
    desktop->ParseDisplayName(owner, nullptr, wide.data(), nullptr, &item, nullptr);
    desktop->Release();
    return item;
}

}  // namespace

bool SelectFolder(HWND owner, const std::string& title, const std::string& root, std::string& folder)
{
    if (!NamesExistingFolder(folder)) folder.clear();

    const ShellApi& shell = ShellFunctions();
    if (!shell.Complete()) return false;
    IMalloc* shellAllocator = nullptr;
    if (FAILED(shell.getMalloc(&shellAllocator)) || shellAllocator == nullptr) return false;
    const Allocator allocator(shellAllocator);
    const ShellMemory displayName(allocator.get(), allocator.get()->Alloc(MAX_PATH));
    if (displayName.get() == nullptr) return false;
    const ShellMemory rootItem(allocator.get(), RootItem(shell, owner, root));

    BROWSEINFOA request{};
    request.hwndOwner = owner;
    request.pidlRoot = static_cast<LPCITEMIDLIST>(rootItem.get());
    request.pszDisplayName = static_cast<char*>(displayName.get());
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!folder.empty()) {
        Callbacks::SetCallback(request, PreselectFolder);
        request.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    }

    LPITEMIDLIST chosen = nullptr;
    {
        ThreadWindowsDisabled others;
        // A drive without a medium raises no system box while the browser is open.
        ErrorModeScope noErrorBoxes(Application::ErrorModeWith(SEM_FAILCRITICALERRORS));
        chosen = shell.browseForFolder(&request);
    }
    if (chosen == nullptr) return false;
    const ShellMemory chosenItem(allocator.get(), chosen);
    auto* path = static_cast<char*>(displayName.get());
    if (!shell.pathFromItem(chosen, path)) return false;
    folder.assign(path, strnlen(path, MAX_PATH));
    return true;
}
