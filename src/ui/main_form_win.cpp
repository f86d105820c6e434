// The main form's window: its controls, its layout after each refresh, its menu commands
// and the steps of the start-up sequence.
#include "main_form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "../app/registry_win.h"
#include "../report/export.h"
#include "../report/file_win.h"
#include "../survey/drive_queries_win.h"
#include "../survey/mtools.h"
#include "../survey/number_format.h"
#include "application_win.h"
#include "clipboard_win.h"
#include "control_win.h"
#include "folder_dialog_win.h"
#include "form_design.h"
#include "grid_win.h"
#include "menu_ids.h"
#include "status_bar_win.h"

namespace {

constexpr const char* kClassName = "TFMain";
constexpr const char* kDesignCaption = "Übersicht der Laufwerke";
constexpr const char* kCredit = " Merovant  Laufwerke";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kGridId = 1;
constexpr int kStatusBarId = 2;
// Posted to the form: tell accessibility clients what a failed refresh changed.
constexpr UINT kAnnounceChanges = WM_APP + 1;

SIZE OuterSize(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

void TFMain::RegisterClasses(HINSTANCE instance)
{
    Grid::Register(instance);
    StatusBar::Register(instance);

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = instance;
    windowClass.hIcon = windowClass.hIconSm = Application::Icon(instance);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    Application::RegisterWindowClass(windowClass, ControlWindowProc<TFMain, &TFMain::Dispatch, BorrowedObject<TFMain>>);
}

TFMain::TFMain(HINSTANCE instance, HWND applicationWindow, RegistryFactory registry) : registry_(std::move(registry))
{
    CreateMenuBar();
    RECT frame{0, 0, Design::ClientWidth, Design::ClientHeight};
    AdjustWindowRect(&frame, kStyle, TRUE);
    // Owned by the application window, which alone has the task-bar entry.
    CreationFailure() = nullptr;
    CreateWindowExA(0, kClassName, kDesignCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                    frame.bottom - frame.top, applicationWindow, MainMenu1, instance, this);
    if (window_ == nullptr) {
        DestroyMenu(MainMenu1);
        RaiseCreationFailure("Das Hauptfenster konnte nicht erzeugt werden");
    }
    formSize_ = OuterSize(window_);
    try {
        CreateControls();
    } catch (...) {
        // No window may be left with a pointer to a form that was never made.
        DestroyWindow(window_);
        throw;
    }
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    constructed_ = true;
}

TFMain::~TFMain()
{
    if (window_) DestroyWindow(window_);  // the menu goes with the window
}

void TFMain::CreateControls()
{
    font_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    const auto font = reinterpret_cast<WPARAM>(font_.get());

    grid_ = Grid::Create(window_, kGridId, Gitter);
    SendMessageA(grid_, WM_SETFONT, font, FALSE);

    StatusBar1 = StatusBar::Create(window_, kStatusBarId);
    SendMessageA(StatusBar1, WM_SETFONT, font, FALSE);
    int panelEdges[] = {Design::CreditPanelWidth, -1};
    SendMessageA(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(panelEdges));
    SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kCredit));
    OnSize();
    // No SetFocus here: on the still hidden form it would activate it, a costly round
    // through the window system; the grid takes the focus when the form is first shown.
}

void TFMain::CreateMenuBar()
{
    MainMenu1 = CreateMenu();
    HMENU datei = CreatePopupMenu();
    AppendMenuA(datei, MF_STRING, MenuId::Aktualisieren1, "&Aktualisieren\tF5");
    AppendMenuA(datei, MF_STRING, MenuId::Export1, "&Export...");
    AppendMenuA(datei, MF_SEPARATOR, MenuId::N1, nullptr);
    AppendMenuA(datei, MF_STRING, MenuId::Beenden1, "&Beenden\tAlt+F4");
    HMENU optionen = CreatePopupMenu();
    AppendMenuA(optionen, MF_STRING, MenuId::lokal, "&Nur lokale Festplatten");
    AppendMenuA(optionen, MF_STRING, MenuId::Mbytes, "Anzeige in &Mbytes");
    AppendMenuA(optionen, MF_SEPARATOR, MenuId::N2, nullptr);
    // These two captions mark no access key of their own; their first letters are free
    // in this menu, so they get D and K.
    AppendMenuA(optionen, MF_STRING, MenuId::DailyLogpfad1, "&Daily-Logpfad");
    AppendMenuA(optionen, MF_STRING, MenuId::kurz, "&Kurzer Export");
    AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(datei), "&Datei");
    AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(optionen), "&Optionen");

    ACCEL shortcuts[] = {{FVIRTKEY, VK_F5, MenuId::Aktualisieren1},
                         {FVIRTKEY | FALT, VK_F4, MenuId::Beenden1},
                         {FVIRTKEY | FCONTROL, 'C', MenuId::Kopieren}};
    accelerators_.reset(CreateAcceleratorTableA(shortcuts, static_cast<int>(std::size(shortcuts))));
}

std::unique_ptr<RegistryAccess> TFMain::OpenRegistry() const
{
    if (registry_) return registry_();
    return std::make_unique<WindowsRegistry>();
}

// GetMenuState answers 0xFFFFFFFF, every bit set, for an item that is not there.
bool TFMain::Checked(int item) const
{
    const UINT state = GetMenuState(MainMenu1, item, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void TFMain::SetChecked(int item, bool on)
{
    CheckMenuItem(MainMenu1, item, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// ---- event handlers

StartupEnd TFMain::FormCreate(const RunRequest& request, StartupState& state)
{
    struct Creating {
        bool& flag;
        explicit Creating(bool& f) : flag(f) { flag = true; }
        ~Creating() { flag = false; }
    } creating(creating_);
    return RunStartupSequence(*this, request, state);
}

void TFMain::Beenden1Click() { Application::Terminate(); }

std::string TFMain::Export1Click()
{
    // During start-up (/automatik) the form is not shown yet: without the run's task-bar
    // button, a dialog behind other windows could not be reached.
    Application::ShowTaskbarButton();
    Save1.FileName = Mtools::ComputerName() + ".txt";
    if (!Save1.Execute(Application::Window(), DialogMonitorWindow())) return {};
    ExportGrid(Save1.FileName);
    return Save1.FileName;
}

// The save dialog goes on the monitor of the active form, else of the main form: this
// form is the program's only one. While the start-up sequence runs there is no main form
// yet, and the dialog goes on the first monitor.
HWND TFMain::DialogMonitorWindow() const { return creating_ ? nullptr : window_; }

void TFMain::Aktualisieren1Click() { FillDriveGrid(); }

void TFMain::lokalClick()
{
    SetChecked(MenuId::lokal, !Checked(MenuId::lokal));
    Aktualisieren1Click();
}

void TFMain::MbytesClick()
{
    SetChecked(MenuId::Mbytes, !Checked(MenuId::Mbytes));
    Aktualisieren1Click();
}

void TFMain::FormClose()
{
    const auto registry = OpenRegistry();
    ::SaveSettings(*registry, *this);
}

void TFMain::DailyLogpfad1Click()
{
    // The answer is not needed: a chosen folder is in DailyLogPath; the status bar keeps
    // showing the folder the run started with.
    SelectFolder(Application::Window(), "Verzeichniswahl", "", DailyLogPath);
}

// ---- drive table and export

void TFMain::FillDriveGrid()
{
    WindowsDriveQueries queries;
    const SurveyOptions options{Checked(MenuId::lokal), Checked(MenuId::Mbytes)};
    try {
        ::FillDriveGrid(Gitter, queries, options, *this, VolumeFields{VolumeLabel, FileSystemName}, &MeasuredDrives);
    } catch (...) {
        // The rows written before the error show their new texts. Clients hear of them from
        // the message loop after the error box has closed and the form is enabled again
        // (WM_ENABLE): a reader would otherwise read the half-built table while the box asks
        // for the user.
        Grid::LayOut(grid_);
        throw;
    }
    // Once, with the table whole: at the layout points the header lacks its unit suffix and
    // the rows may be the old ones.
    Grid::AnnounceChanges(grid_);
}

void TFMain::ExportGrid(const std::string& fileName)
{
    WindowsOutputFiles files;
    ::ExportGrid(Gitter, Checked(MenuId::kurz), fileName, files);
}

// The header and the selected rows in the long layout, whatever layout the export is set
// to: TABs between the cells are what spreadsheets and mail programs paste as a table.
void TFMain::CopySelectedRows()
{
    const Grid::RowRange rows = Grid::SelectedRows(grid_);
    if (rows.first == 0) return;  // no drive listed, or a client took the selection away
    CopyTextToClipboard(window_, LongLayoutText(Gitter, rows.first, rows.last));
}

// ---- start-up steps

void TFMain::LoadSettings()
{
    const auto registry = OpenRegistry();
    ::LoadSettings(*registry, *this);
}

void TFMain::ShowDailyLogPath()
{
    SendMessageA(StatusBar1, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(DailyLogPath.c_str()));
}

void TFMain::SetLocalOnly() { SetChecked(MenuId::lokal, true); }
void TFMain::SetMegabytes() { SetChecked(MenuId::Mbytes, true); }
void TFMain::SetShortExport() { SetChecked(MenuId::kurz, true); }

std::string TFMain::ComputerName() { return Mtools::ComputerName(); }

LocalDate TFMain::Today()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

void TFMain::Terminate() { Application::Terminate(); }

bool TFMain::LokalChecked() const { return Checked(MenuId::lokal); }
bool TFMain::MbytesChecked() const { return Checked(MenuId::Mbytes); }
void TFMain::SetLokalChecked(bool on) { SetChecked(MenuId::lokal, on); }
void TFMain::SetMbytesChecked(bool on) { SetChecked(MenuId::Mbytes, on); }

// ---- layout

void TFMain::SetOuterSize(HWND window, int width, int height)
{
    // Only the size changes: the top-left corner stays where it is.
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Until the first show the form's size is only noted: the show applies it together with
// the centred position.
void TFMain::SetFormSize(int width, int height)
{
    formSize_ = {width, height};
    if (shown_) SetOuterSize(window_, width, height);
}

void TFMain::ColumnsLaidOut(int widthSum)
{
    SetOuterSize(grid_, widthSum + Design::GridWidthBeyondColumns, OuterSize(grid_).cy);
    SetFormSize(widthSum + Design::FormWidthBeyondColumns, formSize_.cy);
    Grid::LayOut(grid_);
}

void TFMain::RowsLaidOut(int driveCount)
{
    const int gridHeight = (driveCount + 1) * Design::GridHeightPerRow;
    SetOuterSize(grid_, OuterSize(grid_).cx, gridHeight);
    SetFormSize(formSize_.cx, gridHeight + Design::FormHeightBeyondGrid);
    // On Windows every SetWindowText raises EVENT_OBJECT_NAMECHANGE, which a screen reader
    // would announce at every F5.
    const std::string caption = Mtools::ComputerName() + ": Übersicht der Laufwerke";
    if (WindowText(window_) != caption) SetWindowTextA(window_, caption.c_str());
    Grid::LayOut(grid_);
}

void TFMain::OnSize()
{
    RECT client{};
    GetClientRect(window_, &client);
    MoveWindow(StatusBar1, 0, client.bottom - Design::StatusBarHeight, client.right, Design::StatusBarHeight, TRUE);
}

void TFMain::ShowCentred()
{
    const int left = std::max<int>(0, (GetSystemMetrics(SM_CXSCREEN) - formSize_.cx) / 2);
    const int top = std::max<int>(0, (GetSystemMetrics(SM_CYSCREEN) - formSize_.cy) / 2);
    // A scheduled export must not take the keyboard from whatever the user is doing: its
    // window is on screen for a moment only and handles no input.
    const bool activate = !Application::Terminating();
    // Size, position and visibility in one move: each move of a top-level window is a
    // round through the window system.
    SetWindowPos(window_, nullptr, left, top, formSize_.cx, formSize_.cy,
                 SWP_NOZORDER | SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE));
    shown_ = true;
    Grid::AnnounceChanges(grid_);  // a failed start-up refresh was not announced before its box
    if (!activate) return;
    // A run that is ending takes its quit request before any paint (GetMessage gives
    // WM_QUIT ahead of WM_PAINT): its window is shown for that moment without being drawn,
    // which spares an unattended run the paint of the table (about 7 ms under Wine).
    UpdateWindow(window_);
    SetFocus(grid_);
}

// ---- messages

void TFMain::OnCommand(int id)
{
    switch (id) {
    case MenuId::Aktualisieren1: Aktualisieren1Click(); break;
    case MenuId::Export1: Export1Click(); break;
    case MenuId::Beenden1: Beenden1Click(); break;
    case MenuId::lokal: lokalClick(); break;
    case MenuId::Mbytes: MbytesClick(); break;
    case MenuId::DailyLogpfad1: DailyLogpfad1Click(); break;
    case MenuId::kurz: break;  // its check mark is set by the command line only
    case MenuId::Kopieren: CopySelectedRows(); break;
    }
}

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // A menu (0) or an accelerator (1), never a control's notification of the same id.
        if (lParam == 0 && (HIWORD(wParam) == 0 || HIWORD(wParam) == 1)) OnCommand(LOWORD(wParam));
        return 0;
    case WM_ENABLE:
        // After an error box: what a failed refresh changed. Posted, so that clients hear of it
        // from the message loop once the box is gone: the form may be enabled again while the
        // box is still on screen, where a reader would announce the rows over it.
        if (wParam) PostMessageA(window_, kAnnounceChanges, 0, 0);
        break;
    case kAnnounceChanges: Grid::AnnounceChanges(grid_); return 0;
    case WM_SIZE: OnSize(); return 0;
    case WM_SETFOCUS: SetFocus(grid_); return 0;
    case WM_WININICHANGE: ReloadNumberSettings(); break;
    case WM_CLOSE:
        // A close that arrives while a dialog or an error box of the program is up (the task
        // bar's, taskkill's, handed in by the dialog's modal loop) would destroy the form under
        // the running command: WM_DESTROY's quit request ends the modal loop, the dialog's
        // choice is lost and the settings are saved mid-command. It is dropped; the user
        // closes again once the dialog is gone.
        if (!IsWindowEnabled(window_) || ThreadWindowsDisabled::Active()) return 0;
        // A failed save raises out of here: the window is not destroyed and stays open.
        FormClose();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        // The message loop gives the exit code. A form whose construction failed posts
        // nothing: the error box that reports the failure must not take the quit request.
        if (constructed_) PostQuitMessage(0);
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) ReloadNumberSettings();
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT TFMain::Dispatch(TFMain& form, UINT message, WPARAM wParam, LPARAM lParam)
{
    return form.HandleMessage(message, wParam, lParam);
}

void TFMain::WindowCreated(HWND window) noexcept { window_ = window; }

void TFMain::WindowDestroyed() noexcept
{
    window_ = nullptr;
    MainMenu1 = nullptr;  // the menu went with the window
}
