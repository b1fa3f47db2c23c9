// Tests of the settings document: defaults on first start, refusal of damaged files, unknown
// nodes kept, the applying rules, and the dialog's window-free rules.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "TestUtil.h"
#include "app/Settings.h"
#include "app/SettingsRules.h"
#include "attr/AttrXml.h"
#include "platform/Platform.h"

namespace qv {
namespace {

using test::ReadAll;
using test::ScratchDir;

// A location inside a scratch folder: the program folder is the scratch folder itself and the
// temporary folder a "tmp" folder in it; no Windows folder.
SettingsLocation ScratchLocation(const ScratchDir& dir) {
    dir.MakeDir("tmp");
    SettingsLocation location;
    location.programFolder = dir.Path();
    location.file = dir.Sub("settings.dat");
    location.folders.temp = dir.Sub("tmp");
    return location;
}

// The default document exactly as settings.dat holds it.
std::string DefaultText(const SettingsLocation& location) {
    const std::string filterPath =
        platform::JoinPath(platform::JoinPath(location.programFolder, "filters"), "summary.mcf");
    return "\r\n<node name=\"options\" desc=\"0.0.1\">"
           "\r\n\t<node name=\"common\">"
           "\r\n\t\t<node name=\"tooltips\"/>\r\n\t\t<node name=\"browse\"/>"
           "\r\n\t\t<node name=\"cluster\"/>\r\n\t\t<node name=\"destroy\"/>"
           "\r\n\t\t<node name=\"filter\" desc=\"" +
           filterPath +
           "\" val=\"1\"/>"
           "\r\n\t</node>"
           "\r\n\t<node name=\"tree\">"
           "\r\n\t\t<node name=\"size\" val=\"1\"/>\r\n\t\t<node name=\"percent\" val=\"1\"/>"
           "\r\n\t\t<node name=\"created\"/>\r\n\t\t<node name=\"access\"/>"
           "\r\n\t\t<node name=\"notes\" val=\"1\"/>\r\n\t\t<node name=\"icon\" val=\"1\"/>"
           "\r\n\t</node>"
           "\r\n\t<node name=\"showfolder\">"
           "\r\n\t\t<node name=\"size\" val=\"1\" val2=\"1\"/>"
           "\r\n\t\t<node name=\"last\" val=\"1\" val2=\"3\"/>"
           "\r\n\t</node>"
           "\r\n\t<node name=\"temporary\">"
           "\r\n\t\t<node name=\"folder\" desc=\"" +
           location.folders.temp +
           "\"/>"
           "\r\n\t</node>"
           "\r\n</node>";
}

class SettingsFile : public ::testing::Test {
  protected:
    ScratchDir dir;
    const SettingsLocation location = ScratchLocation(dir);
};

// The written defaults are read back as they are and saved again byte for byte; keys that are
// missing read 0 and are not created.
TEST_F(SettingsFile, FirstStartWritesTheDefaults) {
    EXPECT_FALSE(Settings(location).Load());
    EXPECT_EQ(ReadAll(location.file), DefaultText(location));
    Settings again(location);
    EXPECT_TRUE(again.Load());
    EXPECT_EQ(std::pair(again.GetValue("showfolder:last", true), again.GetValue("nowhere:size", true)), std::pair(3, 0));
    again.SetValue("common:nothing", 5);
    again.SetText("common:nothing", "x");
    EXPECT_EQ(FindPath(again.Document(), "common:nothing"), nullptr);
    EXPECT_TRUE(again.Save());
    EXPECT_EQ(ReadAll(location.file), DefaultText(location));
}

// Whatever the file holds, a damaged one gives the defaults, written over it.
TEST_F(SettingsFile, DamagedFilesGiveTheDefaults) {
    const std::string good = DefaultText(location);
    std::string deep;  // whole, but one level deeper than a settings file may be
    for (int i = 0; i <= kMaxSettingsDepth; ++i) {
        deep = "<node name=\"options\">" + deep + "</node>";
    }
    const std::string oversized = "<node name=\"options\">" + std::string(kMaxSettingsFileBytes, ' ') + "</node>";
    for (const std::string& text : {std::string(), good.substr(0, good.size() / 2), std::string("<node name=\"options"),
                                    std::string("<node name=\"report\" desc=\"0.0.4\"/>"),
                                    std::string("<node desc=\"0.0.1\"></node>"), deep, oversized}) {
        SCOPED_TRACE(text.substr(0, 40));
        dir.WriteText("settings.dat", text);
        Settings settings(location);
        EXPECT_FALSE(settings.Load());
        EXPECT_EQ(std::pair(ReadAll(location.file), settings.GetValue("tree:icon")), std::pair(good, 1));
    }
    dir.MakeDir("settings.dat.d");
    SettingsLocation folder = location;
    folder.file = dir.Sub("settings.dat.d");  // a folder where the file should be: neither read nor written
    Settings settings(folder);
    EXPECT_FALSE(settings.Load() || settings.Save());
    EXPECT_EQ(settings.GetValue("tree:size"), 1);
}

TEST_F(SettingsFile, UnknownNodesAreKeptAndDestroyIsAdded) {
    dir.WriteText("settings.dat",
                  "<node name=\"options\" desc=\"0.0.1\">"
                  "<node name=\"common\"><node name=\"browse\" val=\"1\"/></node>"
                  "<node name=\"plugin\" desc=\"mine\" val=\"7\"><attr name=\"colour\">blue</attr>"
                  "<node name=\"inner\" kind=\"3\"/></node>"
                  "</node>");
    Settings settings(location);
    EXPECT_TRUE(settings.Load());
    EXPECT_TRUE(settings.Save());
    EXPECT_EQ(ReadAll(location.file),
              "\r\n<node name=\"options\" desc=\"0.0.1\">"
              "\r\n\t<node name=\"common\">"
              "\r\n\t\t<node name=\"browse\" val=\"1\"/>"
              "\r\n\t\t<node name=\"destroy\"/>"
              "\r\n\t</node>"
              "\r\n\t<node name=\"plugin\" desc=\"mine\" val=\"7\">"
              "\r\n\t\t<attr name=\"colour\">blue</attr>"
              "\r\n\t\t<node name=\"inner\" kind=\"3\"/>"
              "\r\n\t</node>"
              "\r\n</node>");
}

TEST_F(SettingsFile, ApplyingSetsThresholdAndAge) {
    constexpr std::int64_t kStartThreshold = 777;
    constexpr std::int32_t kStartAge = 11;
    // size's val and unit, last's val and unit (unit -1: the key is missing), threshold, age
    const std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int32_t> cases[] = {
        {5, 1, 2, 2, 5 * 1024 * 1024, 60},           // 5 MB; 2 months
        {5, 0, 2, 3, 5 * 1024, 720},                 // 5 Kb; 2 years
        {3, 7, 3, 1, 3 * 1024, 21},                  // an unknown size unit counts as Kb; 3 weeks
        {1, 1, 4, 9, 1024 * 1024, 4},                // an unknown age unit counts as days
        {-4, 1, 0, 3, kStartThreshold, kStartAge},   // not positive: left as they were
        {5, -1, 2, -1, kStartThreshold, kStartAge},  // missing keys
    };
    for (const auto& [sizeVal, sizeUnit, lastVal, lastUnit, threshold, age] : cases) {
        SCOPED_TRACE(testing::Message() << sizeVal << "/" << sizeUnit << " " << lastVal << "/" << lastUnit);
        AttrNode* document = CreateNode(nullptr, "options");
        AttrNode* section = CreateNode(document, "showfolder");
        for (const auto& [name, val, unit] : {std::tuple{"size", sizeVal, sizeUnit}, {"last", lastVal, lastUnit}}) {
            if (unit >= 0) {
                AttrNode* key = CreateNode(section, name);
                std::tie(key->val, key->val2) = std::tuple(val, unit);
            }
        }
        Settings settings(location);
        TreeViewOptions options;
        options.sizeThreshold = kStartThreshold;
        options.age = kStartAge;
        options.UpdateAccessCutoff();
        settings.BindViewOptions(&options);
        const AppliedSettings applied = settings.Apply(document);
        EXPECT_EQ(std::tuple(options.sizeThreshold, options.age, applied.sizeThresholdChanged, applied.ageChanged,
                             options.accessCutoff),
                  std::tuple(threshold, age, threshold != kStartThreshold, age != kStartAge,
                             AccessCutoffFor(age, platform::TodayMidnightUtc())));
    }
}

TEST_F(SettingsFile, ApplyingReportsChangesToTheHook) {
    Settings settings(location);
    TreeViewOptions options;
    settings.BindViewOptions(&options);
    int calls = 0;
    AppliedSettings last;
    settings.SetApplyHook([&](const AppliedSettings& applied) {
        ++calls;
        last = applied;
    });
    settings.Load();
    EXPECT_EQ(std::tuple(options.titleFlags, last.titleFlagsChanged, options.sizeThreshold, options.age),
              std::tuple(TitleSize | TitlePercent | TitleNotes | TitleIcon, true, 1024 * 1024, 360));
    settings.Apply();  // the same values again change nothing
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(last.titleFlagsChanged || last.CriterionChanged() || last.toolTips || last.destroyPermanently);

    for (const char* key : {"tree:created", "tree:access", "common:tooltips", "common:destroy"}) {
        settings.SetValue(key, 1);
    }
    settings.SetValue("tree:percent", 1, true);
    settings.SetValue("showfolder:last", 2);
    settings.Apply();
    EXPECT_TRUE(last.titleFlagsChanged && last.ageChanged && last.toolTips && last.destroyPermanently &&
                !last.sizeThresholdChanged);
    EXPECT_EQ(options.titleFlags,
              TitleSize | TitlePercent | TitlePrecisePercent | TitleCreated | TitleAccess | TitleNotes | TitleIcon);
    settings.Apply(CreateNode(nullptr, "options"));  // no tree section: every title flag cleared
    EXPECT_EQ(options.titleFlags, 0u);
}

TEST(SettingsFolders, ProtectedFolders) {
    ScratchDir dir;
    for (const char* folder : {"win/sub", "win/TempStuff", "win/system32", "elsewhere"}) {
        dir.MakeDir(folder);
    }
    SystemFolders folders;
    folders.windows = dir.Sub("win");
    folders.system = dir.Sub("win/system32");
    folders.temp = dir.Sub("win/sub");
    static std::string network;
    network = dir.Sub("elsewhere");
    const std::tuple<std::string, bool, bool> cases[] = {
        // path, on a network drive, protected
        {dir.Sub("missing"), false, false},
        {dir.Sub("win"), false, true},
        {dir.Sub("win/system32"), false, true},
        {dir.Sub("win/sub"), false, false},        // the temporary folder itself
        {dir.Sub("win/TempStuff"), false, false},  // "temp" in the path
        {dir.Sub("elsewhere"), false, false},
        {dir.Sub("elsewhere"), true, true},
#ifndef _WIN32
        {"/", false, true},  // a root is shorter than 4 characters
#endif
    };
    for (const auto& [path, withNetwork, expected] : cases) {
        folders.isNetworkDrive = withNetwork ? +[](const std::string& p) { return p == network; } : nullptr;
        EXPECT_EQ(IsProtectedFolder(path, folders), expected) << path;
    }
    folders.temp = dir.Sub("win/system32");  // a protected temporary folder is left out
    folders.isNetworkDrive = nullptr;
    EXPECT_TRUE(DefaultTemporaryFolders(folders).empty());

    const std::string internetFiles = folders.windows + "\\Temporary Internet Files";
    ASSERT_TRUE(platform::MakeDirectory(internetFiles));
    folders.temp = dir.Sub("elsewhere");
    EXPECT_EQ(DefaultTemporaryFolders(folders), (std::vector<std::string>{dir.Sub("elsewhere"), internetFiles}));
}

TEST(SettingsRules, ListEntriesAndThresholdText) {
    for (const auto& [stored, index] : {std::pair{0, 0}, {1, 1}, {2, 0}, {-1, 0}}) {
        EXPECT_EQ(ChoiceIndex(stored, 2), index) << stored;  // a stored value above 1 shows as the first entry
    }
    for (const auto& [stored, index] : {std::pair{0LL, 0}, {512LL, 1}, {65536LL, 8}, {3000LL, 0}}) {
        EXPECT_EQ(ClusterChoiceIndex(stored), index) << stored;
        EXPECT_EQ(ClusterChoiceValue(index), index == 0 ? 0 : stored) << stored;
    }
    EXPECT_EQ(ClusterChoiceValue(kClusterChoiceCount), 0);
    EXPECT_EQ(std::tuple(AgeNumberIndex(6), AgeNumberIndex(7), AgeNumberIndex(0)), std::tuple(5, 0, 0));
    const std::pair<const char*, std::int32_t> thresholds[] = {
        {"abc", 1}, {" 7x", 7}, {"000", 1}, {"2147483647", INT32_MAX}, {"99999999999999999999", INT32_MAX},
    };
    for (const auto& [text, value] : thresholds) {
        EXPECT_EQ(ThresholdFromText(text), value) << '"' << text << '"';
    }
}

TEST(SettingsRules, FilterFilePaths) {
    const std::string sep(1, platform::kPathSeparator);
    const std::string program = sep + "opt" + sep + "Prog";
    const std::string inside = program + sep + "filters" + sep + "summary.mcf";
    const std::string sibling = program + "2" + sep + "a.mcf";
    EXPECT_EQ(std::tuple(FilterPathForDisplay(inside, program), FilterPathForDisplay(sibling, program),
                         FilterPathForDisplay("", program)),
              std::tuple("filters" + sep + "summary.mcf", sibling, ""));
    EXPECT_EQ(std::tuple(FilterPathFromDisplay("filters" + sep + "summary.mcf", program),
                         FilterPathFromDisplay("C:\\other\\b.mcf", program), FilterPathFromDisplay("\\\\srv\\s\\b.mcf", program)),
              std::tuple(inside, "C:\\other\\b.mcf", "\\\\srv\\s\\b.mcf"));
}

}  // namespace
}  // namespace qv
