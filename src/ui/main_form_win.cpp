// The main form's window, its layout after each refresh and the start-up sequence's steps.
#include "main_form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "../app/application_win.h"
#include "../app/command_line.h"
#include "../app/registry_win.h"
#include "../report/file_win.h"
#include "../survey/drive_queries_win.h"
#include "../survey/mtools.h"
#include "grid_win.h"
#include "menu_ids.h"

namespace {

constexpr const char* kClassName = "TFMain";
constexpr const char* kDesignCaption = "Übersicht der Laufwerke";
constexpr int kDesignClientWidth = 571;
constexpr int kDesignClientHeight = 157;
constexpr int kStatusBarId = 2;
constexpr int kGridId = 1;

TFMain* FormOf(HWND window)
{
    return reinterpret_cast<TFMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

void TFMain::RegisterClasses(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    Grid::Register(instance);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "MAINICON");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
}

TFMain::TFMain(HINSTANCE instance)
{
    CreateMenuBar();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, kDesignClientWidth, kDesignClientHeight};
    AdjustWindowRect(&frame, style, TRUE);
    window_ = CreateWindowExA(0, kClassName, kDesignCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, MainMenu1, instance, this);
    if (window_ == nullptr) throw std::runtime_error("Das Hauptfenster konnte nicht erzeugt werden");

    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    grid_ = Grid::Create(window_, kGridId, Gitter);
    StatusBar1 = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), instance, nullptr);
    int panelEdges[] = {115, -1};
    SendMessageA(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(panelEdges));
    SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Merovant Laufwerke"));
    SetFocus(grid_);
}

TFMain::~TFMain()
{
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

void TFMain::CreateMenuBar()
{
    MainMenu1 = CreateMenu();
    HMENU datei = CreatePopupMenu();
    AppendMenuA(datei, MF_STRING, MenuId::Aktualisieren1, "&Aktualisieren\tF5");
    AppendMenuA(datei, MF_STRING, MenuId::Export1, "&Export...");
    AppendMenuA(datei, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(datei, MF_STRING, MenuId::Beenden1, "&Beenden\tAlt+F4");
    HMENU optionen = CreatePopupMenu();
    AppendMenuA(optionen, MF_STRING, MenuId::lokal, "&Nur lokale Festplatten");
    AppendMenuA(optionen, MF_STRING, MenuId::Mbytes, "Anzeige in &Mbytes");
    AppendMenuA(optionen, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(optionen, MF_STRING, MenuId::DailyLogpfad1, "&Daily-Logpfad");
    AppendMenuA(optionen, MF_STRING, MenuId::kurz, "&Kurzer Export");
    AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(datei), "&Datei");
    AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(optionen), "&Optionen");
}

bool TFMain::Checked(int item) const
{
    return (GetMenuState(MainMenu1, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TFMain::SetChecked(int item, bool on)
{
    CheckMenuItem(MainMenu1, item, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void TFMain::FormCreate()
{
    RunStartupSequence(*this, SplitCommandLine(GetCommandLineA()));
}

void TFMain::FillDriveGrid()
{
    WindowsDriveQueries queries;
    const SurveyOptions options{Checked(MenuId::lokal), Checked(MenuId::Mbytes)};
    ::FillDriveGrid(Gitter, queries, options, *this, VolumeFields{VolumeLabel, FileSystemName});
}

void TFMain::ReadVolumeInfo(char drive, std::string& serial)
{
    WindowsDriveQueries queries;
    ::ReadVolumeInfo(queries, drive, serial, VolumeFields{VolumeLabel, FileSystemName});
}

void TFMain::ExportGrid(const std::string& fileName)
{
    WindowsOutputFiles files;
    ::ExportGrid(Gitter, Checked(MenuId::kurz), fileName, files);
}

void TFMain::LoadSettings()
{
    WindowsRegistry registry;
    ::LoadSettings(registry, *this);
}

void TFMain::FormClose()
{
    WindowsRegistry registry;
    ::SaveSettings(registry, *this);
}

bool TFMain::LokalChecked() const { return Checked(MenuId::lokal); }
bool TFMain::MbytesChecked() const { return Checked(MenuId::Mbytes); }
void TFMain::SetLokalChecked(bool on) { SetChecked(MenuId::lokal, on); }
void TFMain::SetMbytesChecked(bool on) { SetChecked(MenuId::Mbytes, on); }

void TFMain::ShowDailyLogPath()
{
    SendMessageA(StatusBar1, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(DailyLogPath.c_str()));
}

void TFMain::SetLocalOnly() { SetChecked(MenuId::lokal, true); }
void TFMain::SetMegabytes() { SetChecked(MenuId::Mbytes, true); }
void TFMain::SetShortExport() { SetChecked(MenuId::kurz, true); }

std::string TFMain::ComputerName()
{
    return Mtools::ComputerName();
}

LocalDate TFMain::Today()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

void TFMain::Export1Click()
{
    // The save dialog is not part of the program yet: nothing is written.
}

void TFMain::Terminate()
{
    Application::Terminate();
}

void TFMain::SetWindowSize(int width, int height)
{
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFMain::ColumnsLaidOut(int widthSum)
{
    RECT grid{};
    GetWindowRect(grid_, &grid);
    SetWindowPos(grid_, nullptr, 0, 0, widthSum + 20, grid.bottom - grid.top, SWP_NOMOVE | SWP_NOZORDER);
    RECT window{};
    GetWindowRect(window_, &window);
    SetWindowSize(widthSum + 30, window.bottom - window.top);
    Grid::Refresh(grid_);
}

void TFMain::RowsLaidOut(int driveCount)
{
    RECT grid{};
    GetWindowRect(grid_, &grid);
    SetWindowPos(grid_, nullptr, 0, 0, grid.right - grid.left, (driveCount + 1) * 20, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(grid_, &grid);
    RECT window{};
    GetWindowRect(window_, &window);
    SetWindowSize(window.right - window.left, (grid.bottom - grid.top) + 65);
    const std::string caption = Mtools::ComputerName() + ": Übersicht der Laufwerke";
    SetWindowTextA(window_, caption.c_str());
    Grid::Refresh(grid_);
}

void TFMain::ShowCentred()
{
    RECT window{};
    GetWindowRect(window_, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        SendMessageA(StatusBar1, WM_SIZE, 0, 0);
        return 0;
    case WM_SETFOCUS:
        SetFocus(grid_);
        return 0;
    case WM_CLOSE:
        // An error while saving propagates from here: the window is not destroyed and
        // stays open, and the top-level handler shows the message.
        FormClose();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK TFMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TFMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    TFMain* form = FormOf(window);
    if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // No exception may unwind through user32's frames: report it here.
        Application::HandleException();
        return 0;
    }
}
