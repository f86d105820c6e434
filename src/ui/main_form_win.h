// The main form: the window with the drive grid, the menu and the status bar.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../app/settings.h"
#include "../app/startup.h"
#include "../survey/drive_survey.h"
#include "../survey/drive_table.h"
#include "../unique_handle.h"
#include "save_dialog_win.h"

template <typename Object>
struct BorrowedObject;

class TFMain final : public StartupHost, public SettingsTarget, private GridLayout {
public:
    // Where the settings are kept; the registry of the current user unless a test says otherwise.
    using RegistryFactory = std::function<std::unique_ptr<RegistryAccess>()>;

    TFMain(HINSTANCE instance, HWND applicationWindow, RegistryFactory registry = {});
    ~TFMain() override;
    TFMain(const TFMain&) = delete;
    TFMain& operator=(const TFMain&) = delete;

    HWND Handle() const noexcept { return window_; }
    HWND GridHandle() const noexcept { return grid_; }
    HACCEL Accelerators() const noexcept { return accelerators_.get(); }

    // Components and fields, in the order of the form's design.
    DriveTable Gitter{5};
    HWND StatusBar1 = nullptr;
    HMENU MainMenu1 = nullptr;
    SaveDialog Save1;
    std::string VolumeLabel;
    std::string DailyLogPath;
    std::string FileSystemName;
    // The byte counts behind the table's measured rows, from the same refresh.
    std::vector<MeasuredDrive> MeasuredDrives;

    // Event handlers.
    StartupEnd FormCreate(const RunRequest& request, StartupState& state);
    void Beenden1Click();
    std::string Export1Click() override;
    void Aktualisieren1Click();
    void lokalClick();
    void MbytesClick();
    void FormClose();  // writes the settings; when that raises, the close is abandoned
    void DailyLogpfad1Click();

    void FillDriveGrid() override;
    void ExportGrid(const std::string& fileName) override;

    // The check marks of the option items are the options themselves.
    bool Checked(int item) const;
    void SetChecked(int item, bool on);

    // First show: centred on the screen with the size of the start-up refresh. A run that
    // is already ending (an unattended export) shows the window without activating it.
    void ShowCentred();

    static void RegisterClasses(HINSTANCE instance);

private:
    // StartupHost
    void LoadSettings() override;
    void ShowDailyLogPath() override;
    void SetLocalOnly() override;
    void SetMegabytes() override;
    void SetShortExport() override;
    std::string DailyLogFolder() const override { return DailyLogPath; }
    std::string ComputerName() override;
    LocalDate Today() override;
    void Terminate() override;

    // SettingsTarget
    bool LokalChecked() const override;
    bool MbytesChecked() const override;
    void SetLokalChecked(bool on) override;
    void SetMbytesChecked(bool on) override;
    void SetDailyLogFolder(const std::string& folder) override { DailyLogPath = folder; }

    // GridLayout
    void ColumnsLaidOut(int widthSum) override;
    void RowsLaidOut(int driveCount) override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void CopySelectedRows();
    void OnSize();
    // The binding of the window to the form (control_win.h).
    friend struct BorrowedObject<TFMain>;
    static LRESULT Dispatch(TFMain& form, UINT message, WPARAM wParam, LPARAM lParam);
    void WindowCreated(HWND window) noexcept;
    void WindowDestroyed() noexcept;

    std::unique_ptr<RegistryAccess> OpenRegistry() const;
    HWND DialogMonitorWindow() const;
    void CreateMenuBar();
    void CreateControls();
    void SetOuterSize(HWND window, int width, int height);
    void SetFormSize(int width, int height);

    using FontHandle = UniqueHandle<HFONT, &DeleteObject>;
    using AcceleratorHandle = UniqueHandle<HACCEL, &DestroyAcceleratorTable>;

    RegistryFactory registry_;
    HWND window_ = nullptr;
    HWND grid_ = nullptr;
    FontHandle font_;
    AcceleratorHandle accelerators_;
    UINT taskbarCreated_ = 0;
    bool creating_ = false;  // the start-up sequence is running
    bool shown_ = false;  // ShowCentred has run
    bool constructed_ = false;  // the constructor has finished
    SIZE formSize_{};  // the outer size the layout gave the form
};
