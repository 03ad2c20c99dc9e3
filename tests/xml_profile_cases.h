// The behaviour of the profile store on a real DOM back-end and real files. Each test program that
// includes this supplies NewTestXmlDocument() for its back-end: pugixml natively, the COM XML DOM
// under Wine. Include it from one source file per program.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "settings/xml_profile.h"

namespace k7v::test {

std::unique_ptr<settings::XmlDocument> NewTestXmlDocument();

// A fresh temporary folder that holds the profile file; removed with everything in it.
class ProfileFolder {
public:
    ProfileFolder()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            folder_ = std::filesystem::temp_directory_path() / ("k7v-profile-" + std::to_string(random()));
            if (std::filesystem::create_directory(folder_)) break;
        }
        file_ = folder_ / "profile.xml";
    }
    ~ProfileFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Location() const { return file_.string(); }
    std::string Folder() const { return folder_.string(); }
    bool Exists() const { return std::filesystem::exists(file_); }

    void Write(const std::string& bytes) const
    {
        std::ofstream out(file_, std::ios::binary);
        out << bytes;
    }
    std::string Read() const
    {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::unique_ptr<settings::XmlProfile> Open(const std::string& location) const
    {
        return std::make_unique<settings::XmlProfile>(NewTestXmlDocument(), location);
    }
    std::unique_ptr<settings::XmlProfile> Open() const { return Open(Location()); }

private:
    std::filesystem::path folder_;
    std::filesystem::path file_;
};

// Two DOM services may write the same document with different line ends, empty-element tags and
// white space between the nodes outside the root (which XML does not keep); those differences are
// folded away so that files compare by content.
inline std::string Canonical(std::string text)
{
    text = std::regex_replace(text, std::regex("\r\n"), "\n");
    text = std::regex_replace(text, std::regex(R"(<([^\s/<>?!]+)([^<>]*?)\s*/>)"), "<$1$2></$1>");
    // The prolog ends where the root's start tag begins: the first "<" followed by a name.
    std::smatch root;
    std::regex_search(text, root, std::regex(R"(<[^\s/<>?!])"));
    std::string prolog = std::regex_replace(text.substr(0, root.position(0)), std::regex(R"(>\s+)"), ">");
    std::string rest = text.substr(root.position(0));
    rest.erase(rest.find_last_not_of(" \t\r\n") + 1);
    return prolog + rest;
}

using StoreAction = void (*)(settings::XmlProfile&);

struct StoreCase {
    const char* name;
    const char* before;  // the file before the store's life; null: no file
    StoreAction act;     // reads (with their expectations) and writes during the store's life
    const char* after;   // the file afterwards, compared by Canonical(); null: byte for byte as before
};

inline constexpr const char* kS = "Orvane_K7V_Pendant";

inline const StoreCase kStoreCases[] = {
    {"MissingFileGainsRootOnly", nullptr,
     [](settings::XmlProfile& p) { EXPECT_EQ(p.ReadInt(kS, "DelaySteps", 25), 25); }, "<profile/>"},
    {"MissingFileGainsSectionAndKeysInOrder", nullptr,
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "StepJogRate", 100), 100);
         p.WriteInt(kS, "StepJogRate", 100);
         p.WriteInt(kS, "DelaySteps", 25);
     },
     "<profile><Orvane_K7V_Pendant><StepJogRate>100</StepJogRate><DelaySteps>25</DelaySteps>"
     "</Orvane_K7V_Pendant></profile>"},
    {"OtherRootNameIsKept", "<settings><Orvane_K7V_Pendant><Xreverse>1</Xreverse></Orvane_K7V_Pendant></settings>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Xreverse", 0), 1);
         p.WriteInt(kS, "Yreverse", 1);
     },
     "<settings><Orvane_K7V_Pendant><Xreverse>1</Xreverse><Yreverse>1</Yreverse></Orvane_K7V_Pendant></settings>"},
    {"OnlyFirstOfTwoSectionsIsUsed",
     "<profile><Orvane_K7V_Pendant><Stepsize>1</Stepsize></Orvane_K7V_Pendant>"
     "<Orvane_K7V_Pendant><Stepsize>0</Stepsize><Zreverse>1</Zreverse></Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Stepsize", 7), 1);
         EXPECT_EQ(p.ReadInt(kS, "Zreverse", 7), 7);
         p.WriteInt(kS, "Stepsize", 5);
         p.WriteInt(kS, "Zreverse", 0);
     },
     "<profile><Orvane_K7V_Pendant><Stepsize>5</Stepsize><Zreverse>0</Zreverse></Orvane_K7V_Pendant>"
     "<Orvane_K7V_Pendant><Stepsize>0</Stepsize><Zreverse>1</Zreverse></Orvane_K7V_Pendant></profile>"},
    {"OnlyFirstOfTwoKeysIsUsed",
     "<profile><Orvane_K7V_Pendant><Xreverse>1</Xreverse><Xreverse>0</Xreverse>"
     "</Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Xreverse", 9), 1);
         p.WriteInt(kS, "Xreverse", 3);
     },
     "<profile><Orvane_K7V_Pendant><Xreverse>3</Xreverse><Xreverse>0</Xreverse></Orvane_K7V_Pendant></profile>"},
    {"NamesMatchWithCase", "<profile><orvane_k7v_pendant><stepjograte>7</stepjograte></orvane_k7v_pendant></profile>",
     [](settings::XmlProfile& p) { EXPECT_EQ(p.ReadInt(kS, "StepJogRate", 100), 100); },
     "<profile><orvane_k7v_pendant><stepjograte>7</stepjograte></orvane_k7v_pendant></profile>"},
    {"EmptyKeyIsRemovedSectionStays",
     "<profile><Orvane_K7V_Pendant><DelaySteps></DelaySteps><Stepsize/></Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "DelaySteps", 25), 25);
         EXPECT_EQ(p.ReadText(kS, "Stepsize", "none"), "none");
     },
     "<profile><Orvane_K7V_Pendant/></profile>"},
    {"EmptyKeyWrittenAgainComesLast",
     "<profile><Orvane_K7V_Pendant><DelaySteps/><Stepsize>1</Stepsize></Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "DelaySteps", 25), 25);
         p.WriteInt(kS, "DelaySteps", 25);
     },
     "<profile><Orvane_K7V_Pendant><Stepsize>1</Stepsize><DelaySteps>25</DelaySteps></Orvane_K7V_Pendant></profile>"},
    {"NestedTextIsJoinedAndReplacedByOneText",
     "<profile><Orvane_K7V_Pendant><StepJogRate>1<a>2<b>3</b></a><c/>4</StepJogRate></Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadText(kS, "StepJogRate", ""), "1234");
         EXPECT_EQ(p.ReadInt(kS, "StepJogRate", 0), 1234);
         p.WriteInt(kS, "StepJogRate", 60);
     },
     "<profile><Orvane_K7V_Pendant><StepJogRate>60</StepJogRate></Orvane_K7V_Pendant></profile>"},
    {"TextRoundTrips", nullptr,
     [](settings::XmlProfile& p) {
         p.WriteText(kS, "Name", "a < b & c");
         EXPECT_EQ(p.ReadText(kS, "Name", ""), "a < b & c");
     },
     "<profile><Orvane_K7V_Pendant><Name>a &lt; b &amp; c</Name></Orvane_K7V_Pendant></profile>"},
    {"FindOrCreateSectionTakesExistingOrAppends",
     "<profile><!--host--><Other/><Orvane_K7V_Pendant><Stepsize>1</Stepsize></Orvane_K7V_Pendant></profile>",
     [](settings::XmlProfile& p) {
         ASSERT_NE(p.FindOrCreateSection(kS), nullptr);
         ASSERT_NE(p.FindOrCreateSection("Added"), nullptr);
     },
     "<profile><!--host--><Other/><Orvane_K7V_Pendant><Stepsize>1</Stepsize></Orvane_K7V_Pendant><Added/></profile>"},
    {"FindKeyCreatesNothing", "<profile><Other>x</Other></profile>",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.FindKey(kS, "Stepsize"), nullptr);
         EXPECT_EQ(p.FindKey("Other", "Stepsize"), nullptr);
     },
     "<profile><Other>x</Other></profile>"},
    {"HostFileSurvivesReadWriteCycle",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
     "<!-- host profile -->\r\n"
     "<profile>\r\n"
     "\t<Preferences units=\"mm\">\r\n"
     "\t\t<!-- keep me -->\r\n"
     "\t\t<Feed>  120  </Feed>\r\n"
     "\t\t<?host-pi data?>\r\n"
     "\t</Preferences>\r\n"
     "\t<Orvane_K7V_Pendant>\r\n"
     "\t\t<Xreverse>1</Xreverse>\r\n"
     "\t</Orvane_K7V_Pendant>\r\n"
     "\t<Last/>\r\n"
     "</profile>\r\n",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Xreverse", 0), 1);
         EXPECT_EQ(p.ReadInt("Preferences", "Feed", 0), 120);
         p.WriteInt(kS, "Xreverse", 0);
         p.WriteInt(kS, "Stepsize", 1);
     },
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     "<!-- host profile -->\n"
     "<profile>\n"
     "\t<Preferences units=\"mm\">\n"
     "\t\t<!-- keep me -->\n"
     "\t\t<Feed>  120  </Feed>\n"
     "\t\t<?host-pi data?>\n"
     "\t</Preferences>\n"
     "\t<Orvane_K7V_Pendant>\n"
     "\t\t<Xreverse>0</Xreverse>\n"
     "\t<Stepsize>1</Stepsize></Orvane_K7V_Pendant>\n"
     "\t<Last/>\n"
     "</profile>\n"},
    // A profile that exists but does not load is the host's: it must come through untouched.
    {"MalformedFileIsLeftUnchanged",
     "<?xml version=\"1.0\"?>\r\n<profile>\r\n<Host>keep</Host>\r\n<Orvane_K7V_Pendant><Xreverse>1</Xreverse>\r\n",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Xreverse", 0), 0);
         EXPECT_TRUE(p.WriteInt(kS, "Xreverse", 1));
     },
     nullptr},
    {"NonXmlFileIsLeftUnchanged", "StepJogRate=100\nnot xml at all\n",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "StepJogRate", 100), 100);
         p.WriteInt(kS, "StepJogRate", 5);
     },
     nullptr},
    // An empty file has nothing to lose: it is written like a missing one.
    {"EmptyFileIsWrittenAnew", "",
     [](settings::XmlProfile& p) {
         EXPECT_EQ(p.ReadInt(kS, "Stepsize", 0), 0);
         p.WriteInt(kS, "Stepsize", 1);
     },
     "<profile><Orvane_K7V_Pendant><Stepsize>1</Stepsize></Orvane_K7V_Pendant></profile>"},
};

inline void PrintTo(const StoreCase& c, std::ostream* os)
{
    *os << c.name;
}

class XmlProfileStore : public ::testing::TestWithParam<StoreCase> {
protected:
    ProfileFolder folder_;
};

TEST_P(XmlProfileStore, FileAfterOneStoreLife)
{
    const StoreCase& c = GetParam();
    if (c.before) folder_.Write(c.before);
    GetParam().act(*folder_.Open());
    if (c.after) {
        EXPECT_EQ(Canonical(folder_.Read()), Canonical(c.after));
    } else {
        EXPECT_EQ(folder_.Read(), c.before);
    }
    // The save goes through a temporary file, which must be gone afterwards.
    EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"profile.xml"});
}

INSTANTIATE_TEST_SUITE_P(Cases, XmlProfileStore, ::testing::ValuesIn(kStoreCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct NumberCase {
    const char* name;
    const char* text;
    std::int32_t value;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

inline const NumberCase kNumberCases[] = {
    {"Plain", "42", 42},
    {"WhiteSpaceBeforeDigits", " \t\r\n 42", 42},
    {"DigitsThenOtherText", "12abc 7", 12},
    {"Plus", "+17", 17},
    {"Minus", "-17", -17},
    {"MinusAlone", "-", 0},
    {"PlusAlone", "+", 0},
    {"SpaceAfterSign", "- 5", 0},
    {"TwoSigns", "--5", 0},
    {"LettersFirst", "abc12", 0},
    {"WhiteSpaceOnly", "   ", 0},
    {"LeadingZeros", "007", 7},
    {"AboveSixteenBits", "65541", 65541},
    {"Int32Max", "2147483647", kMax},
    {"Int32Min", "-2147483648", kMin},
    {"JustAboveMax", "2147483648", kMax},
    {"JustBelowMin", "-2147483649", kMin},
    {"FarBeyond64Bits", "99999999999999999999999", kMax},
    {"FarBelow64Bits", "-99999999999999999999999", kMin},
};

class XmlProfileNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(XmlProfileNumber, ReadsAsInteger)
{
    ProfileFolder folder;
    folder.Write(std::string("<profile><Orvane_K7V_Pendant><DelaySteps>") + GetParam().text +
                 "</DelaySteps></Orvane_K7V_Pendant></profile>");
    EXPECT_EQ(folder.Open()->ReadInt(kS, "DelaySteps", -1), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, XmlProfileNumber, ::testing::ValuesIn(kNumberCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XmlProfileLife, ValuesRoundTripThroughTheFile)
{
    ProfileFolder folder;
    const std::int32_t values[] = {-5, 0, 65541, kMin, kMax};
    const char* keys[] = {"K0", "K1", "K2", "K3", "K4"};
    {
        auto store = folder.Open();
        for (int i = 0; i < 5; ++i) store->WriteInt(kS, keys[i], values[i]);
    }
    auto store = folder.Open();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(store->ReadInt(kS, keys[i], 1), values[i]) << keys[i];
}

TEST(XmlProfileLife, EmptyKeyStaysRemovedInTheFile)
{
    ProfileFolder folder;
    folder.Write("<profile><Orvane_K7V_Pendant><DelaySteps/></Orvane_K7V_Pendant></profile>");
    folder.Open()->ReadInt(kS, "DelaySteps", 25);
    auto store = folder.Open();
    EXPECT_EQ(store->FindKey(kS, "DelaySteps"), nullptr);
}

TEST(XmlProfileLife, SaveIntoMissingFolderFailsSilently)
{
    ProfileFolder folder;
    std::string location = (std::filesystem::path(folder.Folder()) / "absent" / "profile.xml").string();
    {
        auto store = folder.Open(location);
        EXPECT_EQ(store->ReadInt(kS, "Stepsize", 3), 3);
        EXPECT_TRUE(store->WriteInt(kS, "Stepsize", 1));
    }
    EXPECT_FALSE(std::filesystem::exists(location));
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(XmlProfileLife, RelativeLocationIsInTheCurrentFolder)
{
    ProfileFolder folder;
    folder.Write("<profile><Orvane_K7V_Pendant><Xreverse>1</Xreverse></Orvane_K7V_Pendant></profile>");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Folder());
    {
        auto store = folder.Open("profile.xml");
        EXPECT_EQ(store->ReadInt(kS, "Xreverse", 0), 1);
        store->WriteInt(kS, "Xreverse", 0);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(folder.Open()->ReadInt(kS, "Xreverse", 9), 0);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"profile.xml"});
}

// A host file in UTF-16 must stay readable as what its declaration says, whatever the DOM service
// makes of the save.
inline void WriteUtf16(const ProfileFolder& folder, const std::string& ascii)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) {
        utf16 += c;
        utf16 += '\0';
    }
    folder.Write(utf16);
}

TEST(XmlProfileLife, Utf16FileStaysReadable)
{
    ProfileFolder folder;
    WriteUtf16(folder, "<?xml version=\"1.0\" encoding=\"UTF-16\"?><profile><Host><Units>mm</Units></Host></profile>");
    folder.Open()->WriteInt(kS, "Stepsize", 1);
    EXPECT_EQ(folder.Open()->ReadText("Host", "Units", ""), "mm");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"profile.xml"});
}

// A name the DOM cannot write must not cost the host its profile.
TEST(XmlProfileLife, KeyThatIsNoXmlNameLeavesALoadableFile)
{
    ProfileFolder folder;
    folder.Write("<profile><Host><Units>5</Units></Host></profile>");
    folder.Open()->WriteInt(kS, "no name", 1);
    EXPECT_EQ(folder.Open()->ReadInt("Host", "Units", 0), 5);
}

TEST(XmlProfileLife, EmptyLocationGivesDefaultsAndLosesWrites)
{
    settings::XmlProfile store(NewTestXmlDocument(), "");
    EXPECT_TRUE(store.WriteInt(kS, "Stepsize", 1));
    EXPECT_EQ(store.ReadInt(kS, "Stepsize", 0), 1);  // the document in memory holds it until the end
    EXPECT_EQ(store.ReadInt(kS, "DelaySteps", 25), 25);
}

}  // namespace k7v::test
