// `propertiesdlg`: the configuration dialog's behaviour on top of its controls. It copies
// PendantSettings into the controls when it opens and back only when OK succeeds; it never touches
// the profile file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/dialog_port.h"
#include "settings/pendant_settings.h"

namespace k7v::settings {

inline constexpr const char* kNotAnInteger = "Please enter an integer.";

// An edit's text as an integer: its first 63 characters must begin, after optional white space,
// with an optionally signed decimal number; what follows the digits is ignored. Empty when the
// text does not begin so, or when the number does not fit in 32 bits.
std::optional<std::int32_t> ParseDialogInteger(std::string_view text);

class propertiesdlg {
public:
    propertiesdlg(PendantSettings& settings, DialogControls& controls) : settings_(settings), controls_(controls) {}

    // Before the dialog shows: fields from the settings, the list of levels, the controls, focus on OK.
    void OnInitDialog();
    // The OK button or Enter. False when an edit held no integer: the message has been shown,
    // the dialog stays open and the settings are unchanged.
    bool OnOK();
    // Escape: closes with Cancel and copies nothing.
    void OnCancel();

private:
    // Moves the fields into the controls (save false) or back (save true), in template order.
    // A failed edit stops the exchange there and answers false.
    bool DoDataExchange(bool save);
    bool ExchangeEdit(bool save, int id, std::int32_t& field);
    void ExchangeCheck(bool save, int id, std::int32_t& field);
    // The list index the user chose; the previous setting when none can be told.
    std::int32_t ChosenSensitivity();

    PendantSettings& settings_;
    DialogControls& controls_;
    std::int32_t stepJogRate_ = 0;
    std::int32_t delaySteps_ = 0;
    std::int32_t xreverse_ = 0;
    std::int32_t yreverse_ = 0;
    std::int32_t zreverse_ = 0;
    std::int32_t stepsize_ = 0;
};

}  // namespace k7v::settings
