// The configuration dialog without a window system: controls that hold their state in memory and
// log every call the dialog makes, and a queue of scripted answers that the simulated host (or a
// test) sets up to say what the user does when the dialog opens.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/dialog_port.h"
#include "settings/pendant_settings.h"

namespace k7v::platform {

class SimDialogControls : public settings::DialogControls {
public:
    void SetEditText(int id, const std::string& text) override;
    std::string GetEditText(int id) override;
    void SetCheck(int id, bool checked) override;
    bool GetCheck(int id) override;
    void ResetList(int id) override;
    void AddListItem(int id, const std::string& text) override;
    void SelectListItem(int id, int index) override;
    int GetListSelection(int id) override;
    std::string GetComboText(int id) override;
    void ShowMessage(const std::string& text) override;
    void SetFocus(int id) override;
    void FocusAndSelectAll(int id) override;
    void Close(settings::DialogResult result) override;

    // What the user does. Typing into the combo box's field clears its list selection, as the
    // system's combo box does; choosing an item puts its text into the field.
    void Type(int id, const std::string& text);
    void Click(int id);
    void Choose(int index);

    std::map<int, std::string> edits;
    std::map<int, bool> checks;
    std::vector<std::string> items;
    int selection = -1;
    std::string comboText;
    std::vector<std::string> messages;
    int focus = 0;
    bool allSelected = false;  // the focused edit has all its text selected
    std::optional<settings::DialogResult> result;
    std::vector<std::string> log;  // one line per call of the dialog, e.g. "GetCheck(4173)"
};

// One thing the user does while the dialog is open.
struct DialogStep {
    enum class Kind { Type, Click, Choose, PressOk, PressEscape };
    Kind kind;
    int id = 0;        // Type, Click
    std::string text;  // Type
    int index = -1;    // Choose

    static DialogStep Type(int id, std::string text) { return {Kind::Type, id, std::move(text), -1}; }
    static DialogStep Click(int id) { return {Kind::Click, id, {}, -1}; }
    static DialogStep Choose(int index) { return {Kind::Choose, 0, {}, index}; }
    static DialogStep Ok() { return {Kind::PressOk, 0, {}, -1}; }
    static DialogStep Escape() { return {Kind::PressEscape, 0, {}, -1}; }
};

// The steps of one modal run, in order.
using DialogAnswer = std::vector<DialogStep>;

class ScriptedDialog {
public:
    void Enqueue(DialogAnswer answer) { answers_.push_back(std::move(answer)); }
    std::size_t Pending() const { return answers_.size(); }

    // One modal run on `settings` through propertiesdlg, following the next queued answer. A run
    // its steps leave open, or a run with no answer queued, ends with Escape as a user would.
    settings::DialogResult Run(settings::PendantSettings& settings);

    // Every message box text shown in any run, in order.
    std::vector<std::string> messages;

private:
    std::deque<DialogAnswer> answers_;
};

}  // namespace k7v::platform
