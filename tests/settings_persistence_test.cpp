#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>
#include <iterator>
#include <pugixml.hpp>
#include <sstream>

#include "platform/posix/pugi_xml.h"
#include "platform/sim/sim_dialog.h"
#include "plugin/platform.h"
#include "plugin/plugin.h"

namespace k7v::settings {
namespace {

namespace fs = std::filesystem;
using platform::DialogStep;
using ::testing::ElementsAre;

// Real profile documents on pugixml and a dialog that plays queued answers; `showDialog` false
// makes the dialog fail to show, as when its template cannot be loaded.
class ProfilePlatform : public plugin::Platform {
public:
    std::string ModuleFileName() const override { return "/opt/k7v/OrvaneK7V.dll"; }
    std::unique_ptr<XmlDocument> CreateXmlDocument() override
    {
        ++documents;
        return posix::CreatePugiXmlDocument();
    }
    DialogResult RunConfigDialog(PendantSettings& settings) override
    {
        ++dialogRuns;
        if (open) return DialogResult::Failed;  // as on Windows: the open dialog comes to the front
        open = true;
        if (whileOpen) std::exchange(whileOpen, nullptr)();
        const DialogResult result = showDialog ? dialog.Run(settings) : DialogResult::Failed;
        open = false;
        return result;
    }
    platform::ScriptedDialog dialog;
    bool showDialog = true;
    std::function<void()> whileOpen;  // what the host does once while the dialog is open
    int documents = 0;
    int dialogRuns = 0;
    bool open = false;
};

class SettingsSequences : public ::testing::Test {
protected:
    SettingsSequences()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / (std::string("k7v-seq-") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "Mill.xml").string();
    }
    ~SettingsSequences() override { fs::remove_all(dir_); }

    void WriteProfile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    // SetProName, InitControl and PostInitControl, as the host starts the plug-in.
    void StartUp()
    {
        plugin.SetProName(host::HostStringCreate(path_.c_str()));
        plugin.InitControl(nullptr, nullptr, nullptr, nullptr);
        plugin.PostInitControl();
    }

    pugi::xml_document ReadProfile() const
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(path_.c_str())) << path_;
        return doc;
    }

    // name=value of each child element of the section, in document order.
    std::vector<std::string> SectionKeys() const
    {
        std::vector<std::string> keys;
        const pugi::xml_document doc = ReadProfile();
        for (pugi::xml_node key : doc.document_element().child(kSectionName).children())
            keys.push_back(std::string(key.name()) + "=" + key.text().get());
        return keys;
    }

    ProfilePlatform platform_;
    plugin::Plugin plugin{&platform_};
    fs::path dir_;
    std::string path_;
};

TEST_F(SettingsSequences, SetProNameCreatesAMissingProfileWithItsRoot)
{
    plugin.SetProName(host::HostStringCreate(path_.c_str()));
    const pugi::xml_document doc = ReadProfile();
    EXPECT_STREQ(doc.document_element().name(), "profile");
    EXPECT_TRUE(doc.document_element().first_child().empty());
}

TEST_F(SettingsSequences, TheFirstConfigAddsTheSectionLastWhateverTheDialogAnswers)
{
    enum class Outcome { Ok, Escape, NotShown };
    for (Outcome outcome : {Outcome::Ok, Outcome::Escape, Outcome::NotShown}) {
        SCOPED_TRACE(static_cast<int>(outcome));
        WriteProfile("<?xml version=\"1.0\"?>\n<profile><Other a=\"1\">x</Other><Last/></profile>\n");
        plugin.settings = {};
        StartUp();
        EXPECT_EQ(plugin.settings, PendantSettings::Defaults());
        EXPECT_TRUE(ReadProfile().document_element().child(kSectionName).empty());

        platform_.showDialog = outcome != Outcome::NotShown;
        if (outcome == Outcome::Ok)
            platform_.dialog.Enqueue({DialogStep::Type(kIdDelaySteps, "60"), DialogStep::Choose(0), DialogStep::Ok()});
        else if (outcome == Outcome::Escape)
            platform_.dialog.Enqueue({DialogStep::Type(kIdDelaySteps, "60"), DialogStep::Escape()});
        plugin.Config();

        const pugi::xml_document doc = ReadProfile();
        EXPECT_STREQ(doc.document_element().last_child().name(), kSectionName);
        EXPECT_STREQ(doc.document_element().first_child().name(), "Other");
        if (outcome == Outcome::Ok)
            EXPECT_THAT(SectionKeys(), ElementsAre("StepJogRate=100", "DelaySteps=60", "VelocityInAuto=0", "Xreverse=0",
                                                   "Yreverse=0", "Zreverse=0", "Stepsize=0"));
        else
            EXPECT_THAT(SectionKeys(), ElementsAre("StepJogRate=100", "DelaySteps=25", "VelocityInAuto=5", "Xreverse=0",
                                                   "Yreverse=0", "Zreverse=0", "Stepsize=0"));
    }
}

TEST_F(SettingsSequences, AnEmptyKeyIsRemovedAtStartUpAndWrittenBackLastByConfig)
{
    WriteProfile(
        "<profile><Orvane_K7V_Pendant><StepJogRate>70</StepJogRate><DelaySteps></DelaySteps>"
        "<VelocityInAuto>3</VelocityInAuto></Orvane_K7V_Pendant></profile>");
    StartUp();
    EXPECT_EQ(plugin.settings.StepJogRate, 70);
    EXPECT_EQ(plugin.settings.DelaySteps, 25);
    EXPECT_THAT(SectionKeys(), ElementsAre("StepJogRate=70", "VelocityInAuto=3"));

    platform_.dialog.Enqueue({DialogStep::Escape()});
    plugin.Config();
    EXPECT_THAT(SectionKeys(), ElementsAre("StepJogRate=70", "VelocityInAuto=3", "DelaySteps=25", "Xreverse=0",
                                           "Yreverse=0", "Zreverse=0", "Stepsize=0"));
}

TEST_F(SettingsSequences, AProfileThatFailsToLoadIsNeverWrittenOver)
{
    // The host's whole profile, cut off mid-way: writing back what the store holds would lose it.
    const std::string broken = "<?xml version=\"1.0\"?>\n<profile><Machine><Axes>4</Axes></Machine><Orvane_K7V_";
    WriteProfile(broken);
    auto onDisk = [this] {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    StartUp();
    EXPECT_EQ(plugin.settings, PendantSettings::Defaults());
    EXPECT_EQ(onDisk(), broken);

    platform_.dialog.Enqueue({DialogStep::Type(kIdStepJogRate, "300"), DialogStep::Ok()});
    plugin.Config();
    EXPECT_EQ(plugin.settings.StepJogRate, 300);  // the dialog's values still apply while the plug-in runs
    EXPECT_EQ(onDisk(), broken);
}

TEST_F(SettingsSequences, AConfigWhileTheDialogIsOpenOpensNoSecondStore)
{
    StartUp();
    platform_.whileOpen = [this] { plugin.Config(); };
    platform_.dialog.Enqueue({DialogStep::Type(kIdStepJogRate, "120"), DialogStep::Ok()});
    const int documentsBefore = platform_.documents;
    plugin.Config();
    EXPECT_EQ(platform_.documents - documentsBefore, 1);
    EXPECT_EQ(platform_.dialogRuns, 2);  // the inner call only asks the platform to show the open dialog
    EXPECT_EQ(plugin.settings.StepJogRate, 120);
    EXPECT_EQ(SectionKeys()[0], "StepJogRate=120");

    platform_.dialog.Enqueue({DialogStep::Escape()});
    plugin.Config();  // the next Config runs in full again
    EXPECT_EQ(platform_.documents - documentsBefore, 2);
}

TEST_F(SettingsSequences, AHandEditTakesEffectAtTheNextConfig)
{
    StartUp();
    platform_.dialog.Enqueue({DialogStep::Ok()});
    plugin.Config();

    // The host (or the user) edits the file while the plug-in runs.
    std::string text;
    {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    text.replace(text.find("<Xreverse>0<"), 12, "<Xreverse>1<");
    text.replace(text.find("<VelocityInAuto>5<"), 18, "<VelocityInAuto>65541<");
    WriteProfile(text);
    EXPECT_EQ(plugin.settings.Xreverse, 0);

    platform_.dialog.Enqueue({DialogStep::Escape()});
    plugin.Config();
    EXPECT_EQ(plugin.settings.Xreverse, 1);
    EXPECT_EQ(plugin.settings.VelocityInAuto, 5);
    EXPECT_THAT(SectionKeys(), ElementsAre("StepJogRate=100", "DelaySteps=25", "VelocityInAuto=5", "Xreverse=1",
                                           "Yreverse=0", "Zreverse=0", "Stepsize=0"));
}

TEST_F(SettingsSequences, VelocityInAutoKeepsItsLow16BitsAndSavesWithItsSign)
{
    WriteProfile("<profile><Orvane_K7V_Pendant><VelocityInAuto>65541</VelocityInAuto></Orvane_K7V_Pendant></profile>");
    StartUp();
    EXPECT_EQ(plugin.settings.VelocityInAuto, 5);

    WriteProfile("<profile><Orvane_K7V_Pendant><VelocityInAuto>65535</VelocityInAuto></Orvane_K7V_Pendant></profile>");
    platform_.dialog.Enqueue({DialogStep::Ok()});  // no list item selected: the loaded value stays
    plugin.Config();
    EXPECT_EQ(plugin.settings.VelocityInAuto, -1);
    EXPECT_EQ(SectionKeys()[0], "VelocityInAuto=-1");
}

}  // namespace
}  // namespace k7v::settings
