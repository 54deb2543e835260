#include "platform/windows/TaskDialogPanel.h"

#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include <optional>

#include "base/Printable.h"
#include "platform/windows/WideText.h"

namespace torvale {
namespace {

using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// TaskDialogIndirect is in comctl32 version 6 alone, which a program gets
// only through its manifest; looked up rather than imported, so that a
// program without it still starts and shows message boxes.
TaskDialogIndirectFunction TaskDialogFunction() {
    static const TaskDialogIndirectFunction function = [] {
        HMODULE comctl32 = ::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (comctl32 == nullptr) return TaskDialogIndirectFunction{};
        // Kept loaded for the life of the process: the function is called
        // again for every dialog.
        const FARPROC found = ::GetProcAddress(comctl32, "TaskDialogIndirect");
        return reinterpret_cast<TaskDialogIndirectFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
}

// A button's or check box's text: "&" would mark the next character as its
// access key.
std::wstring Label(const std::string& text) {
    std::wstring label;
    for (const wchar_t c : Wide(text)) {
        label += c;
        if (c == L'&') label += L'&';
    }
    return label;
}

// Brings the dialog above the browser that started this program.
HRESULT CALLBACK OnTop(HWND window, UINT notification, WPARAM, LPARAM, LONG_PTR) {
    if (notification == TDN_CREATED) {
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(window);
    }
    return S_OK;
}

struct Shown {
    int button = IDCANCEL;
    bool ticked = false;
};

// Shows a task dialog with these buttons and check box (none where `box` is
// empty); nothing where none can be shown.
std::optional<Shown> ShowTaskDialog(const std::string& title, const std::string& message,
                                    const TASKDIALOG_BUTTON* buttons, UINT count, int defaultButton,
                                    const std::wstring& box) {
    const TaskDialogIndirectFunction taskDialog = TaskDialogFunction();
    if (taskDialog == nullptr) return std::nullopt;
    // Bounded and escaped: a launch URL must not make a dialog that takes
    // seconds to lay out, or text that reads as other text.
    const std::wstring shownTitle = Wide(ForDialog(title));
    const std::wstring content = Wide(ForDialog(message));
    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof config;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = shownTitle.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = shownTitle.c_str();
    config.pszContent = content.c_str();
    config.cButtons = count;
    config.pButtons = buttons;
    config.nDefaultButton = defaultButton;
    config.pszVerificationText = box.empty() ? nullptr : box.c_str();
    config.pfCallback = OnTop;
    Shown shown;
    BOOL ticked = FALSE;
    if (FAILED(taskDialog(&config, &shown.button, nullptr, &ticked))) return std::nullopt;
    shown.ticked = ticked != FALSE;
    return shown;
}

// The message box where no task dialog can be shown: the system's buttons
// ("OK" and "Cancel" in the system's language, not ours) and no check box.
int ShowMessageBox(const std::string& title, const std::string& message, UINT type) {
    return ::MessageBoxW(nullptr, Wide(ForDialog(message)).c_str(), Wide(ForDialog(title)).c_str(),
                         type | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

constexpr int kConnect = 100;

}  // namespace

bool TaskDialogPanel::Run(const std::string& title, const std::string& message) {
    const std::wstring ok = L"确定";
    const TASKDIALOG_BUTTON buttons[] = {{IDOK, ok.c_str()}};
    if (const auto shown =
            ShowTaskDialog(title, message, buttons, 1, IDOK, Label(kSilenceAlertsBox)))
        return shown->ticked;
    // Without the check box nothing can silence later alerts: they go on
    // being shown, the safe side of losing it.
    ShowMessageBox(title, message, MB_OK);
    return false;
}

Answer TaskDialogPanel::Ask(const Question& question) {
    const std::wstring cancel = Label(question.cancel);
    const std::wstring connect = Label(question.connect);
    // Cancel first and the default: Return and Escape, pressed by habit,
    // both cancel.
    const TASKDIALOG_BUTTON buttons[] = {{IDCANCEL, cancel.c_str()}, {kConnect, connect.c_str()}};
    if (const auto shown = ShowTaskDialog(question.title, question.message, buttons, 2, IDCANCEL,
                                          Label(question.always))) {
        if (shown->button != kConnect) return Answer::Cancel;
        return shown->ticked && !question.always.empty() ? Answer::ConnectAlways : Answer::Connect;
    }
    // The message box has no check box: its OK connects this once and never
    // trusts the host from now on, so the question comes again next time.
    // Cancel stays the default button.
    const int pressed =
        ShowMessageBox(question.title, question.message, MB_OKCANCEL | MB_DEFBUTTON2);
    return pressed == IDOK ? Answer::Connect : Answer::Cancel;
}

void TaskDialogPanel::Inform(const std::string& title, const std::string& message) {
    const std::wstring ok = L"确定";
    const TASKDIALOG_BUTTON buttons[] = {{IDOK, ok.c_str()}};
    if (!ShowTaskDialog(title, message, buttons, 1, IDOK, L""))
        ShowMessageBox(title, message, MB_OK);
}

}  // namespace torvale
