// The main form: the window with the drive grid, the menu and the status bar.
#pragma once

#include <windows.h>

#include <string>

#include "../app/settings.h"
#include "../app/startup.h"
#include "../survey/drive_survey.h"
#include "../survey/drive_table.h"

class TFMain final : public StartupHost, public SettingsTarget, private GridLayout {
public:
    explicit TFMain(HINSTANCE instance);
    ~TFMain() override;
    TFMain(const TFMain&) = delete;
    TFMain& operator=(const TFMain&) = delete;

    HWND Handle() const noexcept { return window_; }

    // Components and fields, in the order of the form's design.
    DriveTable Gitter{5};
    HWND StatusBar1 = nullptr;
    HMENU MainMenu1 = nullptr;
    std::string VolumeLabel;
    std::string DailyLogPath;
    std::string FileSystemName;

    void FormCreate();
    // The close handler: writes the settings. When that raises, the close is abandoned.
    void FormClose();
    void FillDriveGrid();
    void ReadVolumeInfo(char drive, std::string& serial);
    void ExportGrid(const std::string& fileName) override;

    // The check marks of the option items are the options themselves.
    bool Checked(int item) const;
    void SetChecked(int item, bool on);

    // First show: centred on the screen with the size of the start-up refresh.
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

    // SettingsTarget
    bool LokalChecked() const override;
    bool MbytesChecked() const override;
    void SetLokalChecked(bool on) override;
    void SetMbytesChecked(bool on) override;
    void SetDailyLogFolder(const std::string& folder) override { DailyLogPath = folder; }
    std::string ComputerName() override;
    LocalDate Today() override;
    void Export1Click() override;
    void Terminate() override;

    // GridLayout
    void ColumnsLaidOut(int widthSum) override;
    void RowsLaidOut(int driveCount) override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    void CreateMenuBar();
    void SetWindowSize(int width, int height);

    HWND window_ = nullptr;
    HWND grid_ = nullptr;
    HFONT font_ = nullptr;
};
