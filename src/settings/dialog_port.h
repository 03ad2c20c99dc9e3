// What the configuration dialog needs from the window system: its controls, a message box, the
// input focus and the end of its modal run. The Windows back-end drives the real dialog built from
// template 4013; native builds drive a scripted stand-in.
#pragma once

#include <cstddef>
#include <string>

namespace k7v::settings {

// How the configuration dialog ended. Failed: the dialog could not be shown at all.
enum class DialogResult { Ok, Cancel, Failed };

// Control identifiers of dialog template 4013.
inline constexpr int kIdOk = 1;
inline constexpr int kIdStepJogRate = 4170;
inline constexpr int kIdDelaySteps = 4174;
inline constexpr int kIdStepsize = 4173;
inline constexpr int kIdVelocityInAuto = 4022;  // combo box: editable field and drop-down list
inline constexpr int kIdXreverse = 4176;
inline constexpr int kIdYreverse = 4177;
inline constexpr int kIdZreverse = 4178;

// Edits hand out at most this many characters of their text.
inline constexpr std::size_t kEditTextLimit = 63;

class DialogControls {
public:
    virtual ~DialogControls() = default;

    virtual void SetEditText(int id, const std::string& text) = 0;
    // The edit's text, at most kEditTextLimit characters of it.
    virtual std::string GetEditText(int id) = 0;

    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool GetCheck(int id) = 0;

    // The combo box's list: emptied, filled item by item (unsorted), one item or none (-1)
    // selected. GetListSelection answers -1 when no item is selected.
    virtual void ResetList(int id) = 0;
    virtual void AddListItem(int id, const std::string& text) = 0;
    virtual void SelectListItem(int id, int index) = 0;
    virtual int GetListSelection(int id) = 0;
    // The text in the combo box's editable field.
    virtual std::string GetComboText(int id) = 0;

    // A message box with an OK button, owned by the dialog; returns when the user closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void SetFocus(int id) = 0;
    // Moves the input focus to an edit and selects all of its text.
    virtual void FocusAndSelectAll(int id) = 0;
    // Ends the modal run with `result`.
    virtual void Close(DialogResult result) = 0;
};

}  // namespace k7v::settings
