// The profile store on pugixml with real temporary files, and without any DOM service.
#include "platform/posix/pugi_xml.h"
#include "xml_profile_cases.h"

namespace k7v::test {

std::unique_ptr<settings::XmlDocument> NewTestXmlDocument()
{
    return posix::CreatePugiXmlDocument();
}

namespace {

TEST(XmlProfileWithoutDom, ReadsDefaultsDropsWritesAndSavesNothing)
{
    ProfileFolder folder;
    {
        settings::XmlProfile store(nullptr, folder.Location());
        EXPECT_EQ(store.ReadInt(kS, "StepJogRate", 100), 100);
        EXPECT_EQ(store.ReadText(kS, "StepJogRate", "d"), "d");
        EXPECT_TRUE(store.WriteInt(kS, "StepJogRate", 7));
        EXPECT_TRUE(store.WriteText(kS, "Name", "x"));
        EXPECT_EQ(store.ReadInt(kS, "StepJogRate", 100), 100);
        EXPECT_EQ(store.FindOrCreateKey(kS, "StepJogRate"), nullptr);
        EXPECT_EQ(store.FindOrCreateSection(kS), nullptr);
    }
    EXPECT_FALSE(folder.Exists());
}

TEST(XmlProfilePugi, Utf16FileIsWrittenInUtf16WithItsMark)
{
    ProfileFolder folder;
    WriteUtf16(folder, "<?xml version=\"1.0\" encoding=\"UTF-16\"?><profile/>");
    folder.Open()->WriteInt(kS, "Stepsize", 1);
    EXPECT_EQ(folder.Read().substr(0, 4), std::string("\xFF\xFE<\0", 4));
    EXPECT_EQ(folder.Open()->ReadInt(kS, "Stepsize", 0), 1);
}

TEST(XmlProfilePugi, KeyThatIsNoXmlNameIsRefusedAlone)
{
    ProfileFolder folder;
    {
        auto store = folder.Open();
        EXPECT_TRUE(store->WriteInt(kS, "no name", 1));
        EXPECT_TRUE(store->WriteInt(kS, "1st", 1));
        store->WriteInt(kS, "Stepsize", 1);
    }
    EXPECT_EQ(Canonical(folder.Read()),
              Canonical("<profile><Orvane_K7V_Pendant><Stepsize>1</Stepsize></Orvane_K7V_Pendant></profile>"));
}

TEST(XmlProfilePugi, UnreadableFileIsLeftUnchanged)
{
    ProfileFolder folder;
    // A folder where the file should be cannot be read as a file, even by root.
    std::string location = folder.Folder();
    settings::XmlProfile(NewTestXmlDocument(), location).WriteInt(kS, "Stepsize", 1);
    EXPECT_TRUE(std::filesystem::is_directory(location));
}

}  // namespace
}  // namespace k7v::test
