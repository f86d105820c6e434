// The package's custom actions: the check of its public properties before anything is
// changed, and the daily task, registered through the Task Scheduler's COM interface and
// deleted again when the product is removed. Windows Installer calls each entry from its own
// frames: no exception leaves one.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <oleauto.h>
#include <taskschd.h>

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../src/unique_handle.h"
#include "install_request.h"
#include "task_template.h"

namespace {

using MsiRecord = UniqueHandle<MSIHANDLE, MsiCloseHandle>;
using Bstr = UniqueHandle<BSTR, SysFreeString>;

void ReleaseInterface(IUnknown* object) noexcept { object->Release(); }
template <typename Interface>
using ComObject = UniqueHandle<Interface*, ReleaseInterface>;

std::wstring Wide(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

// A property's value; empty for one that is not set.
std::string Property(MSIHANDLE install, const wchar_t* name)
{
    wchar_t none[1] = L"";
    DWORD size = 0;
    if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA) return {};
    std::wstring value(size + 1, L'\0');
    size = static_cast<DWORD>(value.size());
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
    value.resize(size);
    return Utf8(value);
}

// Hands Windows Installer a text as it stands: field 0 only names field 1, so brackets in
// the text are never taken for properties.
void Message(MSIHANDLE install, INSTALLMESSAGE kind, std::string_view text) noexcept
{
    try {
        const MsiRecord record(MsiCreateRecord(1));
        if (!record) return;
        MsiRecordSetStringW(record.get(), 0, L"[1]");
        MsiRecordSetStringW(record.get(), 1, Wide(text).c_str());
        MsiProcessMessage(install, kind, record.get());
    } catch (...) {
        // Out of memory while reporting: the result code still tells.
    }
}

// Shown in a box, or written to the log of a quiet install.
void ShowError(MSIHANDLE install, std::string_view text) noexcept
{
    Message(install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
}

// A line of the log that msiexec /l*v writes.
void Log(MSIHANDLE install, std::string_view text) noexcept { Message(install, INSTALLMESSAGE_INFO, text); }

std::string HexCode(HRESULT result)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

class TaskSchedulerError : public std::runtime_error {
public:
    TaskSchedulerError(const char* step, HRESULT result)
        : std::runtime_error(std::string(step) + " (Fehler " + HexCode(result) + ")"), result_(result)
    {
    }
    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};

void Check(HRESULT result, const char* step)
{
    if (FAILED(result)) throw TaskSchedulerError(step, result);
}

// COM for the calling thread while it lives. The custom action server may have entered an
// apartment already: then that one is used as it is.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment()
    {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

Bstr MakeBstr(std::string_view utf8)
{
    Bstr text(SysAllocString(Wide(utf8).c_str()));
    if (!text) throw std::bad_alloc();
    return text;
}

// The root folder of the Task Scheduler on this computer, as the caller (SYSTEM) sees it.
ComObject<ITaskFolder> RootTaskFolder()
{
    ITaskService* service = nullptr;
    Check(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                           reinterpret_cast<void**>(&service)),
          "Die Aufgabenplanung ist nicht erreichbar");
    const ComObject<ITaskService> owned(service);
    VARIANT none;
    VariantInit(&none);
    Check(service->Connect(none, none, none, none), "Die Aufgabenplanung ist nicht erreichbar");
    ITaskFolder* folder = nullptr;
    Check(service->GetFolder(MakeBstr("\\").get(), &folder), "Die Aufgabenplanung ist nicht erreichbar");
    return ComObject<ITaskFolder>(folder);
}

// Registers the definition, or replaces the task of that name. Its principal (NETWORK
// SERVICE, by SID, whatever the language of Windows) comes from the definition itself.
void RegisterTask(const std::string& definition)
{
    const ComApartment com;
    const ComObject<ITaskFolder> folder = RootTaskFolder();
    VARIANT none;
    VariantInit(&none);
    IRegisteredTask* task = nullptr;
    Check(folder.get()->RegisterTask(MakeBstr(Install::TaskName).get(), MakeBstr(definition).get(),
                                     TASK_CREATE_OR_UPDATE, none, none, TASK_LOGON_SERVICE_ACCOUNT, none, &task),
          "Die geplante Aufgabe konnte nicht eingetragen werden");
    const ComObject<IRegisteredTask> registered(task);
}

// Deletes the task; one that is not there is no error.
void DeleteTask()
{
    const ComApartment com;
    const ComObject<ITaskFolder> folder = RootTaskFolder();
    const HRESULT result = folder.get()->DeleteTask(MakeBstr(Install::TaskName).get(), 0);
    if (result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) Check(result, "Die geplante Aufgabe blieb stehen");
}

// Another version of the product is installed: this removal is the old version's during an
// upgrade, which runs once the new version is in place. Windows sets UPGRADINGPRODUCTCODE
// for it (the action's condition); Wine's RemoveExistingProducts does not.
bool AnotherVersionInstalled(const Install::ProductIdentity& self)
{
    const std::wstring upgradeCode = Wide(self.upgradeCode);
    wchar_t product[39] = {};
    for (DWORD index = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, index, product) == ERROR_SUCCESS; ++index)
        if (Utf8(product) != self.productCode) return true;
    return false;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

// Immediate, before anything is changed: a malformed property ends the install here.
extern "C" __declspec(dllexport) UINT __stdcall PruefeEigenschaften(MSIHANDLE install) noexcept
{
    try {
        Install::CheckProperties(
            {Property(install, L"AUFGABE"), Property(install, L"WARNUNG"), Property(install, L"DAILYLOG")});
        return ERROR_SUCCESS;
    } catch (const Install::PropertyError& e) {
        ShowError(install, e.what());
    } catch (...) {
        ShowError(install, "Die Eigenschaften der Installation konnten nicht geprüft werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Deferred, as SYSTEM: CustomActionData is "PROGRAM|WARNUNG".
extern "C" __declspec(dllexport) UINT __stdcall AufgabeEintragen(MSIHANDLE install) noexcept
{
    try {
        const Install::TaskAction action = Install::TaskActionOf(Property(install, L"CustomActionData"));
        const std::string definition = Install::TaskDefinition(kTaskTemplate, action);
        RegisterTask(definition);
        Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " eingetragen:\n" + definition);
        return ERROR_SUCCESS;
    } catch (const std::exception& e) {
        ShowError(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        ShowError(install, "Merovant: Die geplante Aufgabe konnte nicht eingetragen werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Deferred (removal) and rollback: a task that stays is logged, and the removal goes on.
// CustomActionData is "UPGRADECODE|PRODUCTCODE" for a removal, empty for a rollback.
extern "C" __declspec(dllexport) UINT __stdcall AufgabeLoeschen(MSIHANDLE install) noexcept
{
    try {
        const auto self = Install::ProductIdentityOf(Property(install, L"CustomActionData"));
        if (self && AnotherVersionInstalled(*self)) {
            Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " bleibt für die neue Version.");
            return ERROR_SUCCESS;
        }
        DeleteTask();
        Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " gelöscht.");
    } catch (const std::exception& e) {
        Log(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        Log(install, "Merovant: Die geplante Aufgabe blieb stehen.");
    }
    return ERROR_SUCCESS;
}
