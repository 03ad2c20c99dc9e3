#include "settings/properties_dialog.h"

#include <string>

#include "settings/decimal.h"

namespace k7v::settings {
namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::int32_t> ParseDialogInteger(std::string_view text)
{
    // A number beyond the 32-bit range is refused like text that is not a number.
    const LeadingInteger scan = ScanLeadingInteger(text.substr(0, kEditTextLimit));
    if (!scan.hasDigits || scan.overflow) return std::nullopt;
    return scan.value;
}

void propertiesdlg::OnInitDialog()
{
    stepJogRate_ = settings_.StepJogRate;
    delaySteps_ = settings_.DelaySteps;
    xreverse_ = settings_.Xreverse;
    yreverse_ = settings_.Yreverse;
    zreverse_ = settings_.Zreverse;
    stepsize_ = settings_.Stepsize;

    // Unsorted, so a list index is the index into SpeedSensitivityList.
    controls_.ResetList(kIdVelocityInAuto);
    const int count = static_cast<int>(SpeedSensitivityList.size());
    for (int i = 0; i < count; ++i) controls_.AddListItem(kIdVelocityInAuto, SensitivityLevel(i));
    const int velocity = settings_.VelocityInAuto;
    controls_.SelectListItem(kIdVelocityInAuto, velocity >= 0 && velocity < count ? velocity : -1);

    DoDataExchange(false);
    controls_.SetFocus(kIdOk);
}

bool propertiesdlg::OnOK()
{
    if (!DoDataExchange(true)) return false;

    settings_.StepJogRate = stepJogRate_;
    settings_.DelaySteps = delaySteps_;
    settings_.Stepsize = stepsize_;
    settings_.Xreverse = xreverse_;
    settings_.Yreverse = yreverse_;
    settings_.Zreverse = zreverse_;
    settings_.VelocityInAuto = ToVelocityInAuto(ChosenSensitivity());
    controls_.Close(DialogResult::Ok);
    return true;
}

void propertiesdlg::OnCancel()
{
    controls_.Close(DialogResult::Cancel);
}

bool propertiesdlg::DoDataExchange(bool save)
{
    if (!ExchangeEdit(save, kIdStepJogRate, stepJogRate_)) return false;
    if (!ExchangeEdit(save, kIdDelaySteps, delaySteps_)) return false;
    ExchangeCheck(save, kIdStepsize, stepsize_);
    // The combo box 4022 is only bound here; its selection is read and written directly.
    ExchangeCheck(save, kIdXreverse, xreverse_);
    ExchangeCheck(save, kIdYreverse, yreverse_);
    ExchangeCheck(save, kIdZreverse, zreverse_);
    return true;
}

bool propertiesdlg::ExchangeEdit(bool save, int id, std::int32_t& field)
{
    if (!save) {
        controls_.SetEditText(id, std::to_string(field));
        return true;
    }
    const std::optional<std::int32_t> value = ParseDialogInteger(controls_.GetEditText(id));
    if (!value) {
        controls_.ShowMessage(kNotAnInteger);
        controls_.FocusAndSelectAll(id);
        return false;
    }
    field = *value;
    return true;
}

void propertiesdlg::ExchangeCheck(bool save, int id, std::int32_t& field)
{
    if (save) {
        field = controls_.GetCheck(id) ? 1 : 0;
        return;
    }
    if (field < 0 || field > 2) field = 0;
    // A two-state box: 2 shows unchecked, as only 1 counts as set for the control logic.
    controls_.SetCheck(id, field == 1);
}

std::int32_t propertiesdlg::ChosenSensitivity()
{
    const int selected = controls_.GetListSelection(kIdVelocityInAuto);
    const int count = static_cast<int>(SpeedSensitivityList.size());
    if (selected >= 0 && selected < count) return selected;
    // Typing into the combo's field clears the list selection; a typed level still names an item.
    const std::string typed = controls_.GetComboText(kIdVelocityInAuto);
    for (int i = 0; i < count; ++i)
        if (Trimmed(typed) == SensitivityLevel(i)) return i;
    return settings_.VelocityInAuto;
}

}  // namespace k7v::settings
