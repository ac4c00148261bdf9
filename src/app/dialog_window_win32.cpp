#include "app/dialog_window_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <utility>
#include <vector>

#include "app/about_dlg_win32.h"
#include "app/event_dispatch.h"
#include "app/resource.h"
#include "app/setup_dlg.h"
#include "platform/hid_bus_win32.h"
#include "platform/hid_headers_win32.h"
#include "platform/paint_pump_win32.h"
#include "platform/wide_text_win32.h"

static_assert(IDC_INSTALL == platform::kIdInstall && IDC_UNINSTALL == platform::kIdUninstall &&
              IDC_EXIT == platform::kIdExit && IDC_BROWSE == platform::kIdBrowse &&
              IDC_KEIL_ROOT == platform::kIdKeilRoot && IDC_PROGRESS == platform::kIdProgress);
static_assert(IDOK == platform::kIdOk);

using platform::WideFromText;

namespace {

// The timer that hands a bus's counted arrivals to the dialog; its ticks never reach CSetupDlg::OnTimer.
constexpr UINT_PTR kArrivalPollTimer = 0x4152;
constexpr UINT kArrivalPollMs = 100;

// Keys and clicks that came while an operation ran are dropped rather than acted on afterwards: handled
// later, they would run inside the operation's next message box, or after it, in an order the user never
// saw. Messages sent from other threads are left for the message loop.
void DiscardQueuedInput() {
    constexpr std::pair<UINT, UINT> kInputRanges[] = {
        {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}, {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    MSG msg;
    for (const auto& [first, last] : kInputRanges)
        while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE)) {
        }
}

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, std::string programName)
    : instance_(instance), programName_(std::move(programName)) {}

INT_PTR DialogWindow::RunModal(CSetupDlg& dlg) {
    dlg_ = &dlg;
    const INT_PTR result = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_SETUP_DIALOG), nullptr,
                                             DialogProc, reinterpret_cast<LPARAM>(this));
    dlg_ = nullptr;
    return result;
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;
    const INT_PTR result = self->OnMessage(message, wParam);
    if (message == WM_NCDESTROY) {
        self->OnDestroy();
        self->hwnd_ = nullptr;
        self->statusBar_ = nullptr;
        self->controlTexts_.clear();
    }
    return result;
}

INT_PTR DialogWindow::OnMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;  // the system sets the focus
        case WM_COMMAND:
            return HIWORD(wParam) == BN_CLICKED && OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam) ? TRUE : FALSE;
        case WM_TIMER:
            if (wParam == kArrivalPollTimer) {
                ForwardCountedArrivals();
            } else {
                RunOperation([this, id = static_cast<int>(wParam)] { dlg_->OnTimer(id); });
            }
            return TRUE;
        case WM_DEVICECHANGE:
            // The dialog logic decides what an event starts; every device-change message is answered TRUE.
            Dispatch([this, event = static_cast<std::uint32_t>(wParam)] { dlg_->OnDeviceChange(event); });
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_PAINT:
            return OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(Icon());
        case WM_SIZE:
            if (statusBar_ != nullptr) ::SendMessageW(statusBar_, WM_SIZE, 0, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

void DialogWindow::OnInitDialog() {
    AddAboutToSystemMenu();
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon()));
    CreateStatusBar();
    if (auto* systemBus = dynamic_cast<platform::Win32HidBus*>(arrivalBus_)) {
        systemBus->SetNotificationWindow(hwnd_);
    } else if (arrivalBus_ != nullptr) {
        pollArrivals_ = ::SetTimer(hwnd_, kArrivalPollTimer, kArrivalPollMs, nullptr) != 0;
    }
    Dispatch([this] { dlg_->OnInitDialog(); });
}

void DialogWindow::OnDestroy() {
    if (auto* systemBus = dynamic_cast<platform::Win32HidBus*>(arrivalBus_))
        systemBus->SetNotificationWindow(nullptr);
    if (pollArrivals_) ::KillTimer(hwnd_, kArrivalPollTimer);
    pollArrivals_ = false;
}

// Each arrival goes to the window as the system would send it: a device-change message for the arrival of
// a HID device interface.
void DialogWindow::ForwardCountedArrivals() {
    for (int arrivals = arrivalBus_ != nullptr ? arrivalBus_->TakeArrivals() : 0; arrivals > 0; --arrivals) {
        DEV_BROADCAST_DEVICEINTERFACE_A record{};
        record.dbcc_size = sizeof record;
        record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        ::HidD_GetHidGuid(&record.dbcc_classguid);
        ::SendMessageW(hwnd_, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&record));
    }
}

void DialogWindow::AddAboutToSystemMenu() {
    const HMENU systemMenu = ::GetSystemMenu(hwnd_, FALSE);
    if (systemMenu == nullptr) return;
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(instance_, IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0) return;
    const std::wstring item(text, static_cast<std::size_t>(length));
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, item.c_str());
}

// One pane as wide as the dialog, along the bottom edge. It stays beneath the progress bar, which shares that
// strip and covers it while a download runs.
void DialogWindow::CreateStatusBar() {
    statusBar_ = ::CreateWindowExW(
        0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDW_STATUS_BAR)), instance_, nullptr);
    if (statusBar_ == nullptr) return;
    ::SetWindowPos(statusBar_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    int paneRight = client.right - client.left;
    ::SendMessageW(statusBar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&paneRight));
    ::SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
}

bool DialogWindow::OnCommand(int id) {
    switch (id) {
        case IDC_EXIT:
            RunOperation([this] { dlg_->OnExit(); });
            return true;
        case IDC_INSTALL:
            RunOperation([this] { dlg_->OnInstall(); });
            return true;
        case IDC_UNINSTALL:
            RunOperation([this] { dlg_->OnUninstall(); });
            return true;
        case IDC_BROWSE:
            RunOperation([this] { dlg_->OnBrowse(); });
            return true;
        case IDOK:      // Enter while the default button is disabled: the framework's OK handling
        case IDCANCEL:  // Escape and the close box: the framework's Cancel handling; the list stays
            ::EndDialog(hwnd_, id);
            return true;
        default:
            return false;
    }
}

bool DialogWindow::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg(instance_).DoModal(hwnd_);
    return true;
}

// Minimised, the dialog shows its icon centred on the erased icon background.
bool DialogWindow::OnPaint() {
    if (!::IsIconic(hwnd_)) return false;
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hwnd_, &paint);
    ::SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, Icon());
    ::EndPaint(hwnd_, &paint);
    return true;
}

void DialogWindow::Dispatch(const std::function<void()>& handler) {
    if (dlg_ != nullptr) DispatchEvent(*this, programName_, handler);
}

void DialogWindow::RunOperation(const std::function<void()>& handler) {
    Dispatch(handler);
    DiscardQueuedInput();
}

HICON DialogWindow::Icon() const {
    return dlg_ != nullptr ? static_cast<HICON>(dlg_->m_hIcon) : nullptr;
}

void DialogWindow::RedrawNow(HWND window) const {
    if (window != nullptr) ::UpdateWindow(window);
}

void DialogWindow::SetStatusText(const std::string& text) {
    if (statusBar_ == nullptr) return;
    ::SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(WideFromText(text).c_str()));
    RedrawNow(statusBar_);
}

int DialogWindow::ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style) {
    UINT type = MB_OK;
    switch (style) {
        case platform::BoxStyle::kOk:
            break;
        case platform::BoxStyle::kOkInformation:
            type |= MB_ICONINFORMATION;
            break;
        case platform::BoxStyle::kOkWarning:
            type |= MB_ICONWARNING;
            break;
        case platform::BoxStyle::kOkError:
            type |= MB_ICONERROR;
            break;
    }
    DiscardQueuedInput();  // what the user did before the box came up was not meant for it
    return ::MessageBoxW(hwnd_, WideFromText(text).c_str(), WideFromText(caption).c_str(), type);
}

std::string DialogWindow::GetControlText(int id) {
    const HWND control = Control(id);
    if (control == nullptr) return {};
    std::wstring shown(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    shown.resize(
        static_cast<std::size_t>(::GetWindowTextW(control, shown.data(), static_cast<int>(shown.size()))));
    const auto known = controlTexts_.find(id);
    if (known != controlTexts_.end() && known->second.second == shown) return known->second.first;
    return platform::TextFromWide(shown);
}

void DialogWindow::SetControlText(int id, const std::string& text) {
    const HWND control = Control(id);
    if (control == nullptr) return;
    std::wstring shown = WideFromText(text);
    ::SetWindowTextW(control, shown.c_str());
    controlTexts_[id] = {text, std::move(shown)};
}

void DialogWindow::EnableControl(int id, bool enable) {
    if (const HWND control = Control(id)) ::EnableWindow(control, enable ? TRUE : FALSE);
}

bool DialogWindow::IsControlEnabled(int id) {
    const HWND control = Control(id);
    return control != nullptr && ::IsWindowEnabled(control) != FALSE;
}

void DialogWindow::SetProgressRange(std::uint16_t lower, std::uint16_t upper) {
    const HWND progress = Control(IDC_PROGRESS);
    ::SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
    RedrawNow(progress);
}

void DialogWindow::SetProgressStep(int step) {
    ::SendMessageW(Control(IDC_PROGRESS), PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void DialogWindow::SetProgressPos(int pos) {
    const HWND progress = Control(IDC_PROGRESS);
    ::SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    RedrawNow(progress);
}

// The download steps the bar between reports without waiting in between: each step also repaints whatever
// else of the dialog needs it, so the dialog stays drawn while it takes no input.
void DialogWindow::StepProgress() {
    const HWND progress = Control(IDC_PROGRESS);
    ::SendMessageW(progress, PBM_STEPIT, 0, 0);
    RedrawNow(progress);
    platform::RepaintPendingWindows();
}

void DialogWindow::ShowProgress(bool show) {
    const HWND progress = Control(IDC_PROGRESS);
    if (progress == nullptr) return;
    ::ShowWindow(progress, show ? SW_SHOW : SW_HIDE);
    // Hiding uncovers the status bar, which must repaint too.
    RedrawNow(progress);
    RedrawNow(statusBar_);
}

void DialogWindow::SetTimer(int id, std::uint32_t milliseconds) {
    if (hwnd_ != nullptr) ::SetTimer(hwnd_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

void DialogWindow::KillTimer(int id) {
    if (hwnd_ != nullptr) ::KillTimer(hwnd_, static_cast<UINT_PTR>(id));
}

// The shell's folder browser over the whole namespace, file-system folders only, nothing below the domain
// level of the network. Its buffers take the longest path the call can return.
platform::BrowseResult DialogWindow::BrowseForFolder(const std::string& title) {
    if (folderBrowser_) return folderBrowser_(title);
    IMalloc* shellMalloc = nullptr;
    if (FAILED(::SHGetMalloc(&shellMalloc))) return {};
    std::vector<char> displayName(MAX_PATH, '\0');
    BROWSEINFOA info{};
    info.hwndOwner = hwnd_;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    info.lpfn = nullptr;

    platform::BrowseResult result;
    if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info)) {
        std::vector<char> path(MAX_PATH, '\0');
        if (::SHGetPathFromIDListA(chosen, path.data())) {
            result.kind = platform::BrowseResult::Kind::kPath;
            result.path = path.data();
        } else {
            result.kind = platform::BrowseResult::Kind::kNoPath;
        }
        shellMalloc->Free(chosen);
    }
    shellMalloc->Release();
    return result;
}

void DialogWindow::EndDialog(int result) {
    if (hwnd_ != nullptr) ::EndDialog(hwnd_, result);
}
