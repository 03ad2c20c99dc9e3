#include "platform/win32/win32_dialog.h"

#include <optional>

#include "platform/win32/win32_module.h"
#include "plugin/plugin.h"
#include "settings/properties_dialog.h"

namespace k7v::platform {
namespace {

constexpr int kTemplateId = 4013;

class Win32DialogControls : public settings::DialogControls {
public:
    explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}

    void SetEditText(int id, const std::string& text) override { SetDlgItemTextA(dialog_, id, text.c_str()); }

    std::string GetEditText(int id) override { return ItemText(id); }

    void SetCheck(int id, bool checked) override { CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED); }

    bool GetCheck(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

    void ResetList(int id) override { SendDlgItemMessageA(dialog_, id, CB_RESETCONTENT, 0, 0); }

    void AddListItem(int id, const std::string& text) override
    {
        SendDlgItemMessageA(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // CB_SETCURSEL with -1 clears both the selection and the combo's field.
    void SelectListItem(int id, int index) override
    {
        SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    int GetListSelection(int id) override
    {
        const LRESULT selected = SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0);
        return selected == CB_ERR ? -1 : static_cast<int>(selected);
    }

    std::string GetComboText(int id) override { return ItemText(id); }

    void ShowMessage(const std::string& text) override
    {
        // Titled like the plug-in's own messages: the base name of our module file.
        const std::string caption = plugin::ModuleBaseName(OwnModuleFileName());
        MessageBoxA(dialog_, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }

    // WM_NEXTDLGCTL rather than a bare SetFocus keeps the dialog manager's default button right.
    void SetFocus(int id) override
    {
        SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, id)), TRUE);
    }

    void FocusAndSelectAll(int id) override
    {
        SetFocus(id);
        SendDlgItemMessageA(dialog_, id, EM_SETSEL, 0, -1);
    }

    void Close(settings::DialogResult result) override
    {
        EndDialog(dialog_, result == settings::DialogResult::Ok ? IDOK : IDCANCEL);
    }

private:
    // GetDlgItemTextA into 64 characters hands out at most the first 63.
    std::string ItemText(int id)
    {
        char text[settings::kEditTextLimit + 1] = {};
        const UINT length = GetDlgItemTextA(dialog_, id, text, sizeof text);
        return std::string(text, length);
    }

    HWND dialog_;
};

// Lives in RunWin32ConfigDialog's frame, which outlasts the modal loop; the dialog procedure finds
// it through DWLP_USER. The controls and propertiesdlg exist once the dialog window does.
struct DialogRun {
    settings::PendantSettings& settings;
    std::optional<Win32DialogControls> controls;
    std::optional<settings::propertiesdlg> dialog;
    HWND* openDialog;  // the dialog window while it exists
};

INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* run = reinterpret_cast<DialogRun*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        *run->openDialog = window;
        run->controls.emplace(window);
        run->dialog.emplace(run->settings, *run->controls);
        run->dialog->OnInitDialog();
        return FALSE;  // the dialog has set the focus itself
    }
    auto* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrA(window, DWLP_USER));
    if (run && message == WM_DESTROY) *run->openDialog = nullptr;
    if (!run || !run->dialog || message != WM_COMMAND) return FALSE;
    // Enter arrives as IDOK; Escape (there is no Cancel button and no close box) as IDCANCEL.
    switch (LOWORD(wParam)) {
        case IDOK:
            run->dialog->OnOK();
            return TRUE;
        case IDCANCEL:
            run->dialog->OnCancel();
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // No exception may unwind through the system's dialog manager.
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        EndDialog(window, -1);
        return TRUE;
    }
}

}  // namespace

settings::DialogResult RunWin32ConfigDialog(HINSTANCE module, settings::PendantSettings& settings)
{
    // The configuration command gives no parent, so the default owner applies: the top-level
    // window the user was working in, which the modal run disables. Should the host still ask for
    // the configuration again while the dialog is open, a second dialog on the same settings would
    // let the one closed last undo the other's OK; the open one comes to the front instead.
    static HWND openDialog = nullptr;
    if (openDialog) {
        SetForegroundWindow(openDialog);
        return settings::DialogResult::Failed;
    }
    DialogRun run{settings, std::nullopt, std::nullopt, &openDialog};
    HWND owner = GetActiveWindow();
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    const INT_PTR result =
        DialogBoxParamA(module, MAKEINTRESOURCEA(kTemplateId), owner, DialogProc, reinterpret_cast<LPARAM>(&run));
    openDialog = nullptr;
    switch (result) {
        case IDOK:
            return settings::DialogResult::Ok;
        case IDCANCEL:
            return settings::DialogResult::Cancel;
        default:
            return settings::DialogResult::Failed;
    }
}

}  // namespace k7v::platform
