#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/sim_dialog.h"
#include "settings/properties_dialog.h"

namespace k7v::settings {
namespace {

using platform::DialogStep;
using platform::ScriptedDialog;
using platform::SimDialogControls;
using ::testing::ElementsAre;

// A dialog opened on `settings`, with the log of the opening cleared.
struct OpenDialog {
    explicit OpenDialog(PendantSettings s) : settings(s)
    {
        dialog.OnInitDialog();
        opening = controls.log;
        controls.log.clear();
    }
    PendantSettings settings;
    SimDialogControls controls;
    propertiesdlg dialog{settings, controls};
    std::vector<std::string> opening;
};

const PendantSettings kStored{150, 40, 5, 1, 0, 1, 1};

TEST(ConfigDialog, OpensWithTheSettingsTheLevelsAndFocusOnOk)
{
    OpenDialog d(kStored);
    EXPECT_THAT(d.opening, ElementsAre("ResetList(4022)", "AddListItem(4022, 1)", "AddListItem(4022, 2)",
                                       "AddListItem(4022, 3)", "AddListItem(4022, 4)", "AddListItem(4022, 5)",
                                       "AddListItem(4022, 6)", "AddListItem(4022, 7)", "AddListItem(4022, 8)",
                                       "AddListItem(4022, 9)", "AddListItem(4022, 10)", "SelectListItem(4022, 5)",
                                       "SetEditText(4170, 150)", "SetEditText(4174, 40)", "SetCheck(4173, 1)",
                                       "SetCheck(4176, 1)", "SetCheck(4177, 0)", "SetCheck(4178, 1)", "SetFocus(1)"));
    EXPECT_EQ(d.controls.comboText, "6");
    EXPECT_FALSE(d.controls.result.has_value());
}

TEST(ConfigDialog, OkWithoutChangesCopiesEverythingBackAfterExchangingInTemplateOrder)
{
    OpenDialog d(kStored);
    EXPECT_TRUE(d.dialog.OnOK());
    EXPECT_THAT(d.controls.log,
                ElementsAre("GetEditText(4170)", "GetEditText(4174)", "GetCheck(4173)", "GetCheck(4176)",
                            "GetCheck(4177)", "GetCheck(4178)", "GetListSelection(4022)", "Close(Ok)"));
    EXPECT_EQ(d.settings, kStored);
}

TEST(ConfigDialog, OkStoresWhatTheUserEnteredWithoutRangeChecks)
{
    OpenDialog d(kStored);
    d.controls.Type(kIdStepJogRate, "-20");
    d.controls.Type(kIdDelaySteps, "500");
    d.controls.Click(kIdStepsize);
    d.controls.Click(kIdXreverse);
    d.controls.Click(kIdYreverse);
    d.controls.Choose(0);
    EXPECT_TRUE(d.dialog.OnOK());
    EXPECT_EQ(d.settings, (PendantSettings{-20, 500, 0, 0, 1, 1, 0}));
    EXPECT_EQ(d.controls.result, DialogResult::Ok);
}

TEST(ConfigDialog, CheckBoxesShowOnlyOneAsChecked)
{
    struct Case {
        std::int32_t stored;
        bool shown;
    };
    for (const Case c : {Case{-1, false}, Case{0, false}, Case{1, true}, Case{2, false}, Case{7, false}}) {
        PendantSettings s = kStored;
        s.Xreverse = s.Yreverse = s.Zreverse = s.Stepsize = c.stored;
        OpenDialog d(s);
        for (int id : {kIdStepsize, kIdXreverse, kIdYreverse, kIdZreverse})
            EXPECT_EQ(d.controls.checks[id], c.shown) << c.stored << " in " << id;
        ASSERT_TRUE(d.dialog.OnOK());
        const std::int32_t stored = c.shown ? 1 : 0;
        EXPECT_EQ(d.settings.Xreverse, stored) << c.stored;
        EXPECT_EQ(d.settings.Stepsize, stored) << c.stored;
    }
}

TEST(ConfigDialog, TextThatIsNoIntegerKeepsTheDialogOpenAndTheSettingsUnchanged)
{
    struct Case {
        int id;
        const char* text;
    };
    for (const Case c : {Case{kIdStepJogRate, ""}, Case{kIdStepJogRate, "abc"}, Case{kIdStepJogRate, "+"},
                         Case{kIdDelaySteps, " - 5"}, Case{kIdDelaySteps, "4294967296"}}) {
        OpenDialog d(kStored);
        d.controls.Type(c.id, c.text);
        d.controls.Click(kIdXreverse);
        d.controls.Choose(0);
        EXPECT_FALSE(d.dialog.OnOK());
        EXPECT_THAT(d.controls.messages, ElementsAre("Please enter an integer.")) << c.text;
        EXPECT_EQ(d.controls.focus, c.id);
        EXPECT_TRUE(d.controls.allSelected);
        // The exchange stopped at the failing edit: nothing later in the order was read.
        EXPECT_EQ(d.controls.log.back(), "FocusAndSelectAll(" + std::to_string(c.id) + ")");
        EXPECT_THAT(d.controls.log, ::testing::Not(::testing::Contains(::testing::StartsWith("GetCheck"))));
        EXPECT_EQ(d.settings, kStored);
        EXPECT_FALSE(d.controls.result.has_value());

        d.dialog.OnCancel();
        EXPECT_EQ(d.controls.result, DialogResult::Cancel);
        EXPECT_EQ(d.settings, kStored);
    }
}

TEST(ConfigDialog, EditTextParsesAsALeadingInteger)
{
    struct Case {
        std::string text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"12abc", 12},
        {"  \t-5", -5},
        {"+7 steps", 7},
        {"0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"x1", std::nullopt},
        {"-", std::nullopt},
        {std::string(62, ' ') + "9", 9},
        {std::string(63, ' ') + "9", std::nullopt},  // only the first 63 characters count
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDialogInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(ConfigDialog, SensitivityWithoutAListSelection)
{
    struct Case {
        std::int16_t stored;
        const char* typed;  // null: the user leaves the field alone
        std::int16_t result;
    };
    for (const Case c : {Case{12, nullptr, 12}, Case{-1, nullptr, -1}, Case{3, "", 3}, Case{3, "7", 6},
                         Case{3, " 10 ", 9}, Case{3, "11", 3}, Case{3, "6,", 3}}) {
        PendantSettings s = kStored;
        s.VelocityInAuto = c.stored;
        OpenDialog d(s);
        if (c.typed) d.controls.Type(kIdVelocityInAuto, c.typed);
        ASSERT_EQ(d.controls.selection, -1);
        ASSERT_TRUE(d.dialog.OnOK());
        EXPECT_EQ(d.settings.VelocityInAuto, c.result) << c.stored << " " << (c.typed ? c.typed : "-");
    }
}

TEST(ScriptedConfigDialog, PlaysQueuedAnswersAndEndsUnansweredRunsWithEscape)
{
    ScriptedDialog script;
    script.Enqueue({DialogStep::Type(kIdDelaySteps, "x"), DialogStep::Ok(), DialogStep::Type(kIdDelaySteps, "60"),
                    DialogStep::Choose(9), DialogStep::Click(kIdZreverse), DialogStep::Ok(),
                    DialogStep::Type(kIdDelaySteps, "1")});
    script.Enqueue({DialogStep::Type(kIdStepJogRate, "7"), DialogStep::Escape(), DialogStep::Ok()});

    PendantSettings s = kStored;
    EXPECT_EQ(script.Run(s), DialogResult::Ok);
    EXPECT_EQ(s, (PendantSettings{150, 60, 9, 1, 0, 0, 1}));
    EXPECT_EQ(script.Run(s), DialogResult::Cancel);
    EXPECT_EQ(script.Run(s), DialogResult::Cancel);
    EXPECT_EQ(s, (PendantSettings{150, 60, 9, 1, 0, 0, 1}));
    EXPECT_THAT(script.messages, ElementsAre("Please enter an integer."));
}

}  // namespace
}  // namespace k7v::settings
