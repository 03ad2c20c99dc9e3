#include "settings/properties_dialog.h"

#include <limits>
#include <string>

namespace k7v::settings {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::int32_t> ParseDialogInteger(std::string_view text)
{
    text = text.substr(0, kEditTextLimit);
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size() || !IsDigit(text[i])) return std::nullopt;

    // Accumulate as a negative number so that the smallest 32-bit value fits too.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
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
