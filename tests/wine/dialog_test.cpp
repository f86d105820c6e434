// The save dialog and the folder browser, used as a user uses them: another thread waits
// for the dialog, reads it, types and presses keys while the form's thread is inside it.
#include <atomic>
#include <fstream>
#include <sstream>

#include "form_harness.h"
#include "ui/save_dialog.h"

namespace {

using namespace harness;

BOOL CALLBACK Collect(HWND window, LPARAM list) noexcept
{
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    Callbacks::ForEachChildWindow(parent, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND WaitForDialog(const std::function<bool(HWND)>& matches, int milliseconds = 10000)
{
    const DWORD formThread = GetWindowThreadProcessId(Application::Window(), nullptr);
    for (int waited = 0; waited < milliseconds; waited += 50) {
        std::vector<HWND> windows;
        Callbacks::ForEachThreadWindow(formThread, Collect, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows)
            if (IsWindowVisible(window) && matches(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsSaveDialog(HWND window) { return ClassOf(window) == "#32770" && TextOf(window) == "Save As"; }

bool IsFolderBrowser(HWND window)
{
    if (ClassOf(window) != "#32770") return false;
    for (HWND child : ChildrenOf(window))
        if (TextOf(child) == "Verzeichniswahl") return true;
    return false;
}

void TypeText(const std::string& text)
{
    std::vector<INPUT> keys;
    for (char c : text) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wScan = static_cast<unsigned char>(c);
        key.ki.dwFlags = KEYEVENTF_UNICODE;
        keys.push_back(key);
        key.ki.dwFlags |= KEYEVENTF_KEYUP;
        keys.push_back(key);
    }
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

HWND FileNameBox(HWND dialog) { return GetDlgItem(dialog, 0x47C); }
HWND FileTypeBox(HWND dialog) { return GetDlgItem(dialog, 0x470); }

HWND TreeOf(HWND browser)
{
    for (HWND child : ChildrenOf(browser))
        if (ClassOf(child) == "SysTreeView32") return child;
    return nullptr;
}

std::string SelectedFolderItem(HWND tree)
{
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) return "";
    char text[MAX_PATH] = {};
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
    return text;
}

std::string FileBytes(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

Rect MonitorOf(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

// Shares the keyboard state of a window's thread while it lives, so that the user's
// thread may put the focus into that thread's dialog as a click would.
class InputOf {
public:
    explicit InputOf(HWND window) : user_(GetCurrentThreadId()), form_(GetWindowThreadProcessId(window, nullptr))
    {
        AttachThreadInput(user_, form_, TRUE);
    }
    ~InputOf() { AttachThreadInput(user_, form_, FALSE); }
    InputOf(const InputOf&) = delete;
    InputOf& operator=(const InputOf&) = delete;

private:
    DWORD user_, form_;
};

// What the user thread saw in a dialog.
struct Seen {
    std::string proposedName;
    int fileType = -1;
    bool placed = false;
    std::string preselected;
    std::string folderWhileOpen = "?";
    bool taskbarButton = false;
    bool outlivedClose = false;  // the dialog and the form were still there after a close
};

// What the task bar shows a button for: a visible top-level window that nobody owns and that
// is no tool window. A dialog owned by a window with a button is reached through it.
bool HasTaskbarButton(HWND dialog)
{
    const HWND owner = GetAncestor(dialog, GA_ROOTOWNER);
    return owner != nullptr && IsWindowVisible(owner) && GetWindow(owner, GW_OWNER) == nullptr &&
           (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

class DialogTest : public WindowTest {
protected:
    void TearDown() override
    {
        if (user.joinable()) user.join();
        WindowTest::TearDown();
    }

    // Runs the user's part on its own thread; the form's thread pumps until it is done.
    void AsUser(const std::function<void(Seen&)>& part)
    {
        seen = Seen{};
        userDone = false;
        user = std::thread([this, part] {
            part(seen);
            userDone = true;
        });
    }
    void WaitForUser()
    {
        ASSERT_TRUE(Pump([&] { return userDone.load(); }, 20000));
        user.join();
    }

    // Reads the save dialog as it opened, then types a name and presses Enter, or Escape.
    void UseSaveDialog(const std::string& name, int chooseType = 0)
    {
        AsUser([this, name, chooseType](Seen& s) {
            HWND dialog = WaitForDialog(IsSaveDialog);
            if (dialog == nullptr) return;
            Sleep(200);
            s.proposedName = TextOf(FileNameBox(dialog));
            s.fileType = static_cast<int>(SendMessageA(FileTypeBox(dialog), CB_GETCURSEL, 0, 0));
            RECT rect{};
            GetWindowRect(dialog, &rect);
            const Point expected = DialogPosition(monitorForDialog, rect.right - rect.left, rect.bottom - rect.top);
            s.placed = rect.left == expected.x && rect.top == expected.y;
            s.taskbarButton = HasTaskbarButton(dialog);
            if (closeWhileOpen) {
                // As the task bar's close and taskkill (without /f) send theirs.
                PostMessageA(Application::Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
                PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
                Sleep(500);
                s.outlivedClose = IsWindowVisible(dialog) && IsWindow(form->Handle());
            }
            const InputOf formInput(dialog);
            for (int step = 0; step < chooseType; ++step) {
                SetFocus(FileTypeBox(dialog));
                Send({Key(VK_DOWN, false), Key(VK_DOWN, true)});
                Sleep(150);
            }
            if (name.empty()) {
                Send({Key(VK_ESCAPE, false), Key(VK_ESCAPE, true)});
            } else {
                SetFocus(FileNameBox(dialog));
                Send({Key(VK_CONTROL, false), Key('A', false), Key('A', true), Key(VK_CONTROL, true)});
                TypeText(name);
                Send({Key(VK_RETURN, false), Key(VK_RETURN, true)});
            }
            for (int i = 0; i < 60 && IsWindow(dialog); ++i) Sleep(50);
        });
    }

    // Reads the folder browser as it opened, then presses the given keys.
    void UseFolderBrowser(std::vector<WORD> keys)
    {
        AsUser([this, keys](Seen& s) {
            HWND browser = WaitForDialog(IsFolderBrowser);
            if (browser == nullptr) return;
            s.folderWhileOpen = form->DailyLogPath;  // the form's thread is inside the dialog
            Sleep(300);
            s.preselected = SelectedFolderItem(TreeOf(browser));
            const InputOf formInput(browser);
            SetFocus(TreeOf(browser));
            for (WORD key : keys) {
                Send({Key(key, false), Key(key, true)});
                Sleep(150);
            }
            for (int i = 0; i < 60 && IsWindow(browser); ++i) Sleep(50);
        });
    }

    // "Datei > Export..." through the save dialog, as UseSaveDialog describes.
    void ExportThroughDialog(const std::string& name, int chooseType = 0)
    {
        UseSaveDialog(name, chooseType);
        Choose('D', 'E');
        WaitForUser();
    }
    // "Optionen > Daily-Logpfad" through the folder browser, pressing the given keys.
    void BrowseForFolder(std::vector<WORD> keys)
    {
        UseFolderBrowser(std::move(keys));
        Choose('O', 'D');
        WaitForUser();
    }

    std::string ExpectedExportStart() const { return Mtools::ComputerName() + "\tName\tTYP\tKapazit\xE4t"; }

    Rect monitorForDialog;
    bool closeWhileOpen = false;  // the user thread sends close requests into the open dialog
    Seen seen;
    std::atomic<bool> userDone{false};  // set by the user's thread, read by the form's
    std::thread user;
};

TEST_F(DialogTest, SaveDialogProposesTheComputerNameEveryTimeAndIsPlaced)
{
    Start();
    monitorForDialog = MonitorOf(form->Handle());
    ExportThroughDialog("D:\\eins.txt");
    EXPECT_EQ(seen.proposedName, Mtools::ComputerName() + ".txt");
    EXPECT_TRUE(seen.placed);
    EXPECT_EQ(FileBytes("D:\\eins.txt").rfind(ExpectedExportStart(), 0), 0u);

    ExportThroughDialog("");  // Cancel
    EXPECT_EQ(seen.proposedName, Mtools::ComputerName() + ".txt");
    EXPECT_FALSE(Exists("D:\\" + Mtools::ComputerName() + ".txt"));
    EXPECT_FALSE(quit);
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

// A close request while the export dialog is up waits for the dialog: the name chosen is
// still written, nothing is saved, and the form lives on.
TEST_F(DialogTest, ACloseWhileTheDialogIsUpIsHeldOff)
{
    Start();
    monitorForDialog = MonitorOf(form->Handle());
    closeWhileOpen = true;
    ExportThroughDialog("D:\\zu.txt");
    EXPECT_TRUE(seen.outlivedClose);
    EXPECT_EQ(FileBytes("D:\\zu.txt").rfind(ExpectedExportStart(), 0), 0u);
    Pump([] { return false; }, 300);
    EXPECT_FALSE(quit);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(registry.calls.find("set"), std::string::npos) << registry.calls;
}

TEST_F(DialogTest, ExistingFileIsReplacedAndTheFileTypeIsRemembered)
{
    std::ofstream("D:\\alt.txt", std::ios::binary) << std::string(1000, 'x');
    Start();
    monitorForDialog = MonitorOf(form->Handle());
    ExportThroughDialog("D:\\alt.txt", 1);
    EXPECT_EQ(seen.fileType, 0);
    const std::string bytes = FileBytes("D:\\alt.txt");
    EXPECT_EQ(bytes.rfind(ExpectedExportStart(), 0), 0u);
    EXPECT_EQ(bytes.find('x'), std::string::npos);

    ExportThroughDialog("");
    EXPECT_EQ(seen.fileType, 1);  // "Alle Dateien", chosen when last confirmed
}

// /automatik: megabytes and local disks only, the dialog on the first monitor during
// start-up, and the end of the run whether the user saves or cancels; the heartbeat names
// the file chosen, and a cancelled dialog leaves none. The form is not shown yet: the run's
// task-bar button is what leads a user working at other windows to the dialog.
TEST_F(DialogTest, AutomatikExportsAndEndsTheRun)
{
    for (const std::string name : {"D:\\auto.txt", ""}) {
        quit = false;
        reported.events.clear();
        monitorForDialog = MonitorOf(nullptr);
        ShowWindow(Application::Window(), SW_HIDE);  // as in a process of its own
        UseSaveDialog(name);
        Start({"/automatik"});
        WaitForUser();
        EXPECT_TRUE(seen.placed) << name;
        EXPECT_TRUE(seen.taskbarButton) << name;
        EXPECT_TRUE(Pump([&] { return quit; })) << name;
        EXPECT_TRUE(form->Checked(MenuId::lokal));
        EXPECT_TRUE(form->Checked(MenuId::Mbytes));
        ASSERT_EQ(reported.events.size(), name.empty() ? 0u : 1u) << name;
        if (!name.empty()) {
            EXPECT_EQ(reported.events[0].id, EventId::Exported);
            EXPECT_EQ(reported.events[0].strings.at(0), name);
        }
        DestroyForm();
    }
    const std::string bytes = FileBytes("D:\\auto.txt");
    EXPECT_NE(bytes.find("Kapazit\xE4t (MB)"), std::string::npos);
    EXPECT_EQ(bytes.find("Netzwerklaufwerk"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nD:\tDATEN\tlokale Festplatte\t64 \t"), std::string::npos);
}

TEST_F(DialogTest, EmptyFolderOpensWithoutPreselection)
{
    registry.keys[kKey]["dailylog"] = Text("");
    CreateDirectoryA("D:\\logs", nullptr);
    Start();
    BrowseForFolder({VK_ESCAPE});
    EXPECT_EQ(seen.folderWhileOpen, "");  // the browser did open
    EXPECT_NE(seen.preselected, "logs");
    EXPECT_EQ(form->DailyLogPath, "");
}

TEST_F(DialogTest, MissingFolderOrFileIsEmptiedBeforeTheBrowserShows)
{
    std::ofstream("D:\\datei.txt") << "x";
    for (const std::string folder : {"D:\\fehlt", "D:\\datei.txt"}) {
        quit = false;
        registry.keys[kKey]["dailylog"] = Text(folder);
        Start();
        BrowseForFolder({VK_ESCAPE});
        EXPECT_EQ(seen.folderWhileOpen, "");
        EXPECT_EQ(form->DailyLogPath, "");
        EXPECT_EQ(StatusText(1), folder);  // the folder the run started with
        ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return quit; }));
        EXPECT_EQ(registry.keys[kKey]["dailylog"], Text(""));
        DestroyForm();
    }
}

TEST_F(DialogTest, ChosenFolderIsKeptAsTheShellGivesIt)
{
    CreateDirectoryA("D:\\logs", nullptr);
    CreateDirectoryA("D:\\neu", nullptr);
    const struct {
        std::vector<WORD> keys;
        const char* folder;
    } choices[] = {
        {{VK_DOWN, VK_RETURN}, "D:\\neu"},  // the sibling below the pre-selected folder
        {{VK_LEFT, VK_RETURN}, "D:\\"},  // the drive itself keeps its backslash
    };
    for (const auto& choice : choices) {
        quit = false;
        registry.keys[kKey]["dailylog"] = Text("D:\\logs");
        Start();
        BrowseForFolder(choice.keys);
        EXPECT_EQ(seen.preselected, "logs");
        EXPECT_EQ(form->DailyLogPath, choice.folder);
        EXPECT_EQ(StatusText(1), "D:\\logs");
        ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return quit; }));
        EXPECT_EQ(registry.keys[kKey]["dailylog"], Text(choice.folder));
        DestroyForm();
    }
}

}  // namespace
