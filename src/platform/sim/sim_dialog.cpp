#include "platform/sim/sim_dialog.h"

#include "settings/properties_dialog.h"

namespace k7v::platform {

using settings::DialogResult;

namespace {

std::string Call(const char* name, int id)
{
    return std::string(name) + "(" + std::to_string(id) + ")";
}

std::string Call(const char* name, int id, const std::string& arg)
{
    return std::string(name) + "(" + std::to_string(id) + ", " + arg + ")";
}

}  // namespace

void SimDialogControls::SetEditText(int id, const std::string& text)
{
    log.push_back(Call("SetEditText", id, text));
    edits[id] = text;
}

std::string SimDialogControls::GetEditText(int id)
{
    log.push_back(Call("GetEditText", id));
    return edits[id].substr(0, settings::kEditTextLimit);
}

void SimDialogControls::SetCheck(int id, bool checked)
{
    log.push_back(Call("SetCheck", id, checked ? "1" : "0"));
    checks[id] = checked;
}

bool SimDialogControls::GetCheck(int id)
{
    log.push_back(Call("GetCheck", id));
    return checks[id];
}

void SimDialogControls::ResetList(int id)
{
    log.push_back(Call("ResetList", id));
    items.clear();
    selection = -1;
    comboText.clear();
}

void SimDialogControls::AddListItem(int id, const std::string& text)
{
    log.push_back(Call("AddListItem", id, text));
    items.push_back(text);
}

void SimDialogControls::SelectListItem(int id, int index)
{
    log.push_back(Call("SelectListItem", id, std::to_string(index)));
    Choose(index);
}

int SimDialogControls::GetListSelection(int id)
{
    log.push_back(Call("GetListSelection", id));
    return selection;
}

std::string SimDialogControls::GetComboText(int id)
{
    log.push_back(Call("GetComboText", id));
    return comboText;
}

void SimDialogControls::ShowMessage(const std::string& text)
{
    log.push_back("ShowMessage(" + text + ")");
    messages.push_back(text);
}

void SimDialogControls::SetFocus(int id)
{
    log.push_back(Call("SetFocus", id));
    focus = id;
    allSelected = false;
}

void SimDialogControls::FocusAndSelectAll(int id)
{
    log.push_back(Call("FocusAndSelectAll", id));
    focus = id;
    allSelected = true;
}

void SimDialogControls::Close(DialogResult result)
{
    log.push_back(std::string("Close(") + (result == DialogResult::Ok ? "Ok" : "Cancel") + ")");
    this->result = result;
}

void SimDialogControls::Type(int id, const std::string& text)
{
    if (id == settings::kIdVelocityInAuto) {
        comboText = text;
        selection = -1;
    } else {
        edits[id] = text;
    }
}

void SimDialogControls::Click(int id)
{
    checks[id] = !checks[id];
}

void SimDialogControls::Choose(int index)
{
    // Like CB_SETCURSEL: an index outside the list clears the selection and the field.
    const bool inList = index >= 0 && index < static_cast<int>(items.size());
    selection = inList ? index : -1;
    comboText = inList ? items[static_cast<std::size_t>(index)] : std::string();
}

DialogResult ScriptedDialog::Run(settings::PendantSettings& settings)
{
    DialogAnswer answer;
    if (!answers_.empty()) {
        answer = std::move(answers_.front());
        answers_.pop_front();
    }
    SimDialogControls controls;
    settings::propertiesdlg dialog(settings, controls);
    dialog.OnInitDialog();
    for (const DialogStep& step : answer) {
        if (controls.result) break;
        switch (step.kind) {
            case DialogStep::Kind::Type:
                controls.Type(step.id, step.text);
                break;
            case DialogStep::Kind::Click:
                controls.Click(step.id);
                break;
            case DialogStep::Kind::Choose:
                controls.Choose(step.index);
                break;
            case DialogStep::Kind::PressOk:
                dialog.OnOK();
                break;
            case DialogStep::Kind::PressEscape:
                dialog.OnCancel();
                break;
        }
    }
    if (!controls.result) dialog.OnCancel();
    messages.insert(messages.end(), controls.messages.begin(), controls.messages.end());
    return *controls.result;
}

}  // namespace k7v::platform
