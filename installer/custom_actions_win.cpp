// The package's custom actions: the check of its public properties before anything is
// changed, and the daily task, registered through the Task Scheduler's COM interface and
// deleted again when the product is removed. Each change of the task first saves the task's
// definition as it was (beside the product's key under HKLM, which only administrators change);
// a rollback registers that again, a commit drops it. Windows Installer calls each entry
// from its own frames: no exception leaves one.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <oleauto.h>
#include <taskschd.h>

#include <cstdio>
#include <cwchar>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "../src/unique_handle.h"
#include "install_request.h"
#include "task_template.h"

namespace {

using MsiRecord = UniqueHandle<MSIHANDLE, MsiCloseHandle>;
using RegistryKey = UniqueHandle<HKEY, RegCloseKey>;
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

void SetProperty(MSIHANDLE install, const wchar_t* name, std::string_view value)
{
    if (MsiSetPropertyW(install, name, Wide(value).c_str()) != ERROR_SUCCESS)
        throw std::runtime_error("Eine Eigenschaft der Installation konnte nicht gesetzt werden");
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

TASK_LOGON_TYPE LogonType(Install::TaskLogon logon)
{
    switch (logon) {
    case Install::TaskLogon::ServiceAccount: return TASK_LOGON_SERVICE_ACCOUNT;
    case Install::TaskLogon::InteractiveToken: return TASK_LOGON_INTERACTIVE_TOKEN;
    case Install::TaskLogon::InteractiveTokenOrPassword: return TASK_LOGON_INTERACTIVE_TOKEN_OR_PASSWORD;
    case Install::TaskLogon::S4U: return TASK_LOGON_S4U;
    case Install::TaskLogon::Group: return TASK_LOGON_GROUP;
    case Install::TaskLogon::Password: return TASK_LOGON_PASSWORD;
    }
    return TASK_LOGON_NONE;
}

// Registers the definition, or replaces the task of that name. Its principal (for the
// package's own task NETWORK SERVICE, by SID, whatever the language of Windows) comes from
// the definition itself.
void RegisterTask(const std::string& definition, TASK_LOGON_TYPE logon)
{
    const ComApartment com;
    const ComObject<ITaskFolder> folder = RootTaskFolder();
    VARIANT none;
    VariantInit(&none);
    IRegisteredTask* task = nullptr;
    Check(folder.get()->RegisterTask(MakeBstr(Install::TaskName).get(), MakeBstr(definition).get(),
                                     TASK_CREATE_OR_UPDATE, none, none, logon, none, &task),
          "Die geplante Aufgabe konnte nicht eingetragen werden");
    const ComObject<IRegisteredTask> registered(task);
}

bool IsMissingTask(HRESULT result) noexcept
{
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// Deletes the task; one that is not there is no error.
void DeleteTask()
{
    const ComApartment com;
    const ComObject<ITaskFolder> folder = RootTaskFolder();
    const HRESULT result = folder.get()->DeleteTask(MakeBstr(Install::TaskName).get(), 0);
    if (!IsMissingTask(result)) Check(result, "Die geplante Aufgabe blieb stehen");
}

// The task's definition as registered now; empty where there is no task of that name.
std::string CurrentDefinition()
{
    const ComApartment com;
    const ComObject<ITaskFolder> folder = RootTaskFolder();
    IRegisteredTask* task = nullptr;
    const HRESULT result = folder.get()->GetTask(MakeBstr(Install::TaskName).get(), &task);
    if (IsMissingTask(result)) return {};
    Check(result, "Die geplante Aufgabe konnte nicht gelesen werden");
    const ComObject<IRegisteredTask> registered(task);
    BSTR xml = nullptr;
    Check(task->get_Xml(&xml), "Die geplante Aufgabe konnte nicht gelesen werden");
    const Bstr owned(xml);
    return Utf8(xml == nullptr ? L"" : xml);
}

// The saved definition lives beside the product's key, in the 32-bit package's view
// (Wow6432Node on 64-bit Windows), also from the x86_64 build that stands in for the DLL in
// tests. Not inside the product's key: Wine's rollback deletes that key (its "-" row) before
// the rollback action reads what was saved.
constexpr const wchar_t* kSavedKey = L"SOFTWARE\\Korvel\\merovant-Sicherung";
constexpr REGSAM kPackageView = KEY_WOW64_32KEY;
constexpr const wchar_t* kSavedDefinition = L"AufgabeVorher";

void CheckRegistry(LSTATUS status, const char* step)
{
    if (status != ERROR_SUCCESS) throw TaskSchedulerError(step, HRESULT_FROM_WIN32(status));
}

// Saves the definition before a change: empty where there was no task.
void SaveDefinition(const std::string& definition)
{
    HKEY opened = nullptr;
    CheckRegistry(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSavedKey, 0, nullptr, 0, KEY_SET_VALUE | kPackageView, nullptr,
                                  &opened, nullptr),
                  "Die geplante Aufgabe konnte nicht gesichert werden");
    const RegistryKey key(opened);
    const std::wstring text = Wide(definition);
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    CheckRegistry(RegSetValueExW(key.get(), kSavedDefinition, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(bytes)),
                  "Die geplante Aufgabe konnte nicht gesichert werden");
}

// What was saved; nothing where no change of this install began.
std::optional<std::string> SavedDefinition()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSavedKey, 0, KEY_QUERY_VALUE | kPackageView, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const RegistryKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), kSavedDefinition, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    const std::size_t bytes = text.size() * sizeof(wchar_t);
    size = static_cast<DWORD>(bytes);
    CheckRegistry(
        RegQueryValueExW(key.get(), kSavedDefinition, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size),
        "Die gesicherte Aufgabe konnte nicht gelesen werden");
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Utf8(text);
}

// Deletes PARENT\NAME where it holds neither values nor subkeys: what another program of the
// vendor keeps there stays.
void DeleteKeyIfEmpty(HKEY root, const wchar_t* parentPath, const wchar_t* name, REGSAM view)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, parentPath, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return;
    const RegistryKey parent(opened);
    if (RegOpenKeyExW(parent.get(), name, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return;
    const RegistryKey key(opened);
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0)
        RegDeleteKeyW(parent.get(), name);
}

void DropSavedDefinition()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSavedKey, 0, KEY_SET_VALUE | kPackageView, &opened) == ERROR_SUCCESS) {
        const RegistryKey key(opened);
        RegDeleteValueW(key.get(), kSavedDefinition);
    }
    // After a removal the package's own key is gone: then the vendor's goes too, if empty.
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Korvel", L"merovant-Sicherung", kPackageView);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, L"SOFTWARE", L"Korvel", kPackageView);
}

// The related products of the upgrade code, this one among them while it is installed.
std::vector<std::string> RelatedProducts(const std::string& upgradeCode)
{
    std::vector<std::string> products;
    const std::wstring code = Wide(upgradeCode);
    wchar_t product[39] = {};
    for (DWORD index = 0; MsiEnumRelatedProductsW(code.c_str(), 0, index, product) == ERROR_SUCCESS; ++index)
        products.push_back(Utf8(product));
    return products;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

Install::Properties GivenProperties(MSIHANDLE install)
{
    return {Property(install, L"AUFGABE"), Property(install, L"WARNUNG"), Property(install, L"DAILYLOG")};
}

}  // namespace

// Immediate, first, also in a removal: what the command line leaves out is taken from the
// installed version, which AppSearch read into GESPEICHERT_*. The components' conditions
// see the result, a removal's too.
extern "C" __declspec(dllexport) UINT __stdcall EigenschaftenUebernehmen(MSIHANDLE install) noexcept
{
    try {
        const Install::Properties merged =
            Install::WithStored(GivenProperties(install),
                                {Property(install, L"GESPEICHERT_AUFGABE"), Property(install, L"GESPEICHERT_WARNUNG"),
                                 Property(install, L"GESPEICHERT_DAILYLOG")});
        SetProperty(install, L"AUFGABE", merged.aufgabe);
        SetProperty(install, L"WARNUNG", merged.warnung);
        SetProperty(install, L"DAILYLOG", merged.dailylog);
        return ERROR_SUCCESS;
    } catch (const std::exception& e) {
        ShowError(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        ShowError(install, "Merovant: Die gespeicherten Eigenschaften konnten nicht gelesen werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Immediate, after EigenschaftenUebernehmen and before anything is changed: a malformed
// property, or a task without a folder, ends the install here.
extern "C" __declspec(dllexport) UINT __stdcall PruefeEigenschaften(MSIHANDLE install) noexcept
{
    try {
        Install::CheckProperties(GivenProperties(install));
        return ERROR_SUCCESS;
    } catch (const Install::PropertyError& e) {
        ShowError(install, e.what());
    } catch (...) {
        ShowError(install, "Die Eigenschaften der Installation konnten nicht geprüft werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Deferred, as SYSTEM: CustomActionData is "PROGRAM|WARNUNG". Saves the task as it was, then
// registers or replaces it.
extern "C" __declspec(dllexport) UINT __stdcall AufgabeEintragen(MSIHANDLE install) noexcept
{
    try {
        const Install::TaskAction action = Install::TaskActionOf(Property(install, L"CustomActionData"));
        const std::string definition = Install::TaskDefinition(kTaskTemplate, action);
        SaveDefinition(CurrentDefinition());
        RegisterTask(definition, TASK_LOGON_SERVICE_ACCOUNT);
        Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " eingetragen:\n" + definition);
        return ERROR_SUCCESS;
    } catch (const std::exception& e) {
        ShowError(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        ShowError(install, "Merovant: Die geplante Aufgabe konnte nicht eingetragen werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Immediate, in a removal: whether the task goes, decided while Windows Installer can still
// be asked, and handed to the deferred action as its CustomActionData ("1" deletes, "0"
// keeps). Windows sets UPGRADINGPRODUCTCODE for the old version's removal in an upgrade (the
// action's condition); Wine's RemoveExistingProducts does not, so the related products decide.
extern "C" __declspec(dllexport) UINT __stdcall AufgabeLoeschenEntscheiden(MSIHANDLE install) noexcept
{
    try {
        const bool keep = Install::KeepsTheTask(RelatedProducts(Property(install, L"UpgradeCode")),
                                                Property(install, L"ProductCode"));
        SetProperty(install, L"AufgabeLoeschen", keep ? "0" : "1");
        return ERROR_SUCCESS;
    } catch (const std::exception& e) {
        ShowError(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        ShowError(install, "Merovant: Die Entfernung der geplanten Aufgabe konnte nicht vorbereitet werden.");
    }
    return ERROR_INSTALL_FAILURE;
}

// Deferred, late in a removal: saves the task, then deletes it, and the task account's
// vendor key where nothing else is left in it. A task that stays is logged, and the removal
// goes on.
extern "C" __declspec(dllexport) UINT __stdcall AufgabeLoeschen(MSIHANDLE install) noexcept
{
    try {
        if (Property(install, L"CustomActionData") != "1") {
            Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " bleibt für die neue Version.");
            return ERROR_SUCCESS;
        }
        DeleteKeyIfEmpty(HKEY_USERS, L"S-1-5-20\\Software", L"Korvel", 0);
        SaveDefinition(CurrentDefinition());
        DeleteTask();
        Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " gelöscht.");
    } catch (const std::exception& e) {
        Log(install, "Merovant: " + std::string(e.what()) + ".");
    } catch (...) {
        Log(install, "Merovant: Die geplante Aufgabe blieb stehen.");
    }
    return ERROR_SUCCESS;
}

// Rollback: the task as it was before this install changed it. Logged where that fails: the
// rollback goes on.
extern "C" __declspec(dllexport) UINT __stdcall AufgabeWiederherstellen(MSIHANDLE install) noexcept
{
    try {
        const Install::Restore restore = Install::RestoreOf(SavedDefinition());
        switch (restore.step) {
        case Install::Restore::Step::Nothing: return ERROR_SUCCESS;
        case Install::Restore::Step::Delete: DeleteTask(); break;
        case Install::Restore::Step::Register: RegisterTask(restore.definition, LogonType(restore.logon)); break;
        }
        DropSavedDefinition();
        Log(install, "Merovant: geplante Aufgabe " + Quoted(Install::TaskName) + " wiederhergestellt.");
    } catch (const std::exception& e) {
        Log(install,
            "Merovant: Die geplante Aufgabe konnte nicht wiederhergestellt werden: " + std::string(e.what()) + ".");
    } catch (...) {
        Log(install, "Merovant: Die geplante Aufgabe konnte nicht wiederhergestellt werden.");
    }
    return ERROR_SUCCESS;
}

// Commit: the install is done, the saved definition is not needed any more.
extern "C" __declspec(dllexport) UINT __stdcall SicherungVerwerfen(MSIHANDLE) noexcept
{
    DropSavedDefinition();
    return ERROR_SUCCESS;
}
