#include "config/config_file.hpp"

#include "config/config_format.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/lfs_setup.hpp"
#include "input/functions.hpp"
#include "support/temp_folder.hpp"

namespace bnx::config {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kG = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
Binding K(ControlFunction f, std::vector<std::uint32_t> keys) { return {"", "", f, {}, {}, std::move(keys)}; }
Binding D(ControlFunction f, std::string name, std::vector<std::uint32_t> buttons, std::vector<PovInput> povs = {},
          std::string guid = kG.substr(1, kG.size() - 2)) {
  return {std::move(guid), std::move(name), f, std::move(buttons), std::move(povs), {}};
}
constexpr LoadResult kLoads = LoadResult::kLoaded, kFails = LoadResult::kNotLoaded;
constexpr SaveResult kWritten = SaveResult::kWritten, kNotWritten = SaveResult::kNotWritten;
const BindingList kDefaultBindings = {K(fn::kLights, {0x22}), K(fn::kSiren, {0x21})};

LoadResult ReadText(Config& cfg, const std::string& text, std::string* errText = nullptr) {
  std::istringstream in(text);
  std::ostringstream err;
  const LoadResult loaded = ReadConfig(cfg, in, err);
  if (errText) *errText = err.str();
  return loaded;
}

TEST(BindingLine, FunctionKeysInAnyCaseAndTheThreeLineForms) {
  for (int f = 0; f < fn::kCount; ++f) {
    std::string key(input::FunctionConfigKey(static_cast<ControlFunction>(f)));
    EXPECT_EQ(FunctionFromKey(key), f);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(FunctionFromKey(key), f);
  }
  const std::pair<std::string, Binding> cases[] = {
      {"k:lights:34", K(fn::kLights, {34})}, {"k:siren:033", K(fn::kSiren, {33})}, {"k:lights:254", K(fn::kLights, {254})},
      {"b:haz:" + kG + ":UGFk:999", D(fn::kHazards, "Pad", {999})}, {"b:haz:" + kG + "::3", D(fn::kHazards, "", {3})},
      {"b:haz:" + kG + ":YWI=:3", D(fn::kHazards, "ab", {3})}, {"b:haz:" + kG + ":Zm8:3", D(fn::kHazards, "fo", {3})}, {"p:flash:" + kG + ":UGFk:1:90", D(fn::kFlash, "Pad", {}, {{1, 90}})},
      {"p:flash:" + kG + "::0:999", D(fn::kFlash, "", {}, {{0, 999}})},
      {"p:flash:" + kG + ":UGFk:3:90", D(fn::kFlash, "Pad", {}, {{3, 90}})},  // a fourth hat
  };
  for (const auto& [line, want] : cases) EXPECT_EQ(ParseBindingLine(line), want) << line;
  // Not a bindable key (7, generic Shift 16), four digits, unknown or upper-case key, trailing blank, bad
  // padding, GUID or name, five-digit button, hat beyond 3, missing or four-digit degrees, unknown form.
  for (const std::string& bad : std::vector<std::string>{"k:lights:7", "k:lights:16", "k:lights:0034", "k:lights:", "k:none:34", "k:sirens:34", "k:LIGHTS:34",
                          "k:ab:34", "k:lights:34 ", "b:haz:" + kG + ":UGFk===:3", "b:haz:" + kG + ":=:3",
                          "b:haz:" + kG + ":UGFk:1234", "b:haz:{}:UGFk:3", "b:haz:{6f1d}:UGFk:3",
                          "b:haz:" + kG + ":UG Fk:3", "p:flash:" + kG + ":UGFk:4:90", "p:flash:" + kG + ":UGFk:1",
                          "p:flash:" + kG + ":UGFk:1:1000", "x:lights:34", ""})
    EXPECT_EQ(ParseBindingLine(bad), Binding{}) << bad;
}

class ConfigFile : public test::TempFolder {
 protected:
  std::ostringstream out, err;
};

// Every row also goes through a Save: a file with a reported line, or one that did not load, is
// kept as .bak first, any other is not; what the Save wrote reads back without a word.
TEST_F(ConfigFile, ClassifiesLinesAndReportsEveryLineNotReadExactly) {
  // Modes: siren behaviour, active siren mode, category, lights mode.
  struct Case { std::string text; LoadResult loads; std::vector<std::uint32_t> modes; std::vector<int> optionsOn = {}; std::string error = ""; };
  const Case cases[] = {
      {"m:5\n", kLoads, {0, 0, 0, 0}}, {"m:7\nM:7\n", kLoads, {0, 7, 0, 0}}, {"m:3\nM:5\nc:2\n", kLoads, {3, 5, 2, 0}},  // m 5 to 7: 0
      {"M:2\nc:1\n", kFails, {0, 2, 1, 0}}, {"\n   \n\t m:2 \t\r\n\n", kLoads, {2, 2, 0, 0}}, {"\xEF\xBB\xBFm:1\n", kLoads, {1, 1, 0, 0}},
      {"v:1\rm:2\rl:3\r\ro:4:1\r", kLoads, {2, 2, 0, 3}, {4}},  // CR alone ends a line
      {"m:1\no:5\no:0\nv:1\nm:1\no:5:1", kLoads, {1, 1, 0, 0}, {0, 5}},  // old-form options; repeats that agree
      {"# mine\nm:1\nab\n", kLoads, {1, 1, 0, 0}, {}, "Error reading config at line: 1: not a setting: # mine\n"
       "Error reading config at line: 3: not a setting: ab\n"},
      // Text after a setting, a NUL, an unknown letter, a longer number: reported, the rest loads.
      {"v:1\nl:2 # lights mode\nm:3\0\nl:2\0o:1:1\nx:whatever\nm:12\nc:2\nm:1\n"s, kLoads, {1, 1, 2, 0}, {},
       "Error reading config at line: 2: not a setting: l:2 # lights mode\nError reading config at line: 3: not a setting: m:3?\n"
       "Error reading config at line: 4: not a setting: l:2?o:1:1\nError reading config at line: 5: not a setting: x:whatever\n"
       "Error reading config at line: 6: Unknown Siren Mode: 12\n"},
      {"m:1\no:3:1\nv:1\n", kLoads, {1, 1, 0, 0}, {}, "Error reading config at line: 2: option before the v:1 line: o:3:1\n"},
      {"v:1\nm:1\no:1:1\no:3:1\no:8:1\no:9:1x\no:12:1\no:12\no:4:\no:5:2\n", kLoads, {1, 1, 0, 0}, {1, 3, 8},
       "Error reading config at line: 6: Unknown option: o:9:1x\nError reading config at line: 7: Unknown option: o:12:1\n"
       "Error reading config at line: 8: Unknown option: o:12\nError reading config at line: 9: Unknown option: o:4:\n"
       "Error reading config at line: 10: Unknown option: o:5:2\n"},
      // A later line setting the same otherwise counts, and is reported.
      {"v:1\nm:1\nl:1\no:3:1\nm:2\nl:1\no:3:0\n", kLoads, {2, 2, 0, 1}, {}, "Error reading config at line: 5: m:2 overrides line 2\n"
       "Error reading config at line: 7: o:3:0 overrides line 4\n"},
      // A rejected line is reported and reading goes on.
      {"l:1\r\nm:8\r\nm:2", kLoads, {2, 2, 0, 1}, {}, "Error reading config at line: 2: Unknown Siren Mode: 8\n"},
      {"l:1\nM:9\nl:4\nc:7\nm:x\nc:c\n", kLoads, {0, 0, 0, 1}, {}, "Error reading config at line: 2: Unknown Siren Mode: 9\n"
       "Error reading config at line: 3: Unknown Lights Mode: 4\nError reading config at line: 4: Unknown Mode Category: 7\n"
       "Error reading config at line: 5: invalid stoi argument\nError reading config at line: 6: invalid stoi argument\n"},
      {"v:1\nm:1\no:8\no:x:1\nv:?\n", kLoads, {1, 1, 0, 0}, {}, "Error reading config at line: 3: Unknown option: o:8\n"
       "Error reading config at line: 4: Unknown option: o:x:1\nError reading config at line: 5: invalid stoi argument\n"},
  };
  for (const Case& c : cases) {
    Write("Beaconix.cfg", c.text);
    Config cfg;
    cfg.modeCategory = 3;  // without a c line the category is 0
    err.str("");
    EXPECT_EQ(LoadConfig(cfg, "Beaconix.cfg", err), c.loads) << c.text;
    EXPECT_EQ(err.str(), c.error);
    EXPECT_EQ(std::vector<std::uint32_t>({cfg.sirenBehaviour, cfg.activeSirenMode, cfg.modeCategory, cfg.lightsMode}),
              c.modes) << c.text;
    std::array<bool, opt::kCount> on{};
    for (int n : c.optionsOn) on[static_cast<std::size_t>(n)] = true;
    EXPECT_EQ(cfg.options, on) << c.text;
    ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
    EXPECT_EQ(fs::remove("Beaconix.cfg.bak"), c.loads == kFails || !c.error.empty()) << c.text;
    Config back;
    err.str("");
    EXPECT_EQ(LoadConfig(back, "Beaconix.cfg", err), kLoads);
    EXPECT_EQ(err.str(), "");
  }
  Config cfg;
  cfg.options.fill(true);
  // An option line can turn an option off; one that is not exactly "o:N:0" or "o:N:1" changes nothing.
  EXPECT_EQ(ReadText(cfg, "v:1\nm:0\no:2:0\no:6:x\n"), kLoads);
  EXPECT_TRUE(!cfg.option(2) && cfg.option(6) && cfg.option(9));
}

TEST(ReadConfig, MergesBindingsAndSkipsOverlongLines) {
  Config cfg;
  cfg.bindings = {K(fn::kFlash, {65})};  // replaced by the file's
  std::string err;
  EXPECT_EQ(ReadText(cfg, "m:0\nk:lights:34\nk:bogus:35\nb:lights:" + kG + ":QQ==:1\nk:lights:34\nk:lights:36\n" +
                              "p:lights:" + kG + ":Qg==:0:90\nk:lights:7\np:lights:" + kG + ":QQ==:2:0\n", &err),
            kLoads);
  EXPECT_EQ(cfg.bindings, (BindingList{K(fn::kLights, {34, 36}), D(fn::kLights, "A", {1}, {{0, 90}, {2, 0}})}));
  EXPECT_EQ(err, "Error reading config at line: 3: not a binding: k:bogus:35\n"
                 "Error reading config at line: 8: not a binding: k:lights:7\n");

  EXPECT_EQ(ReadText(cfg, "m:1\n" + std::string(kMaxLineLength + 1, 'k') + "\nk:lights:34\nl:2\n", &err), kLoads);
  EXPECT_EQ(err, "Error reading config at line: 2: line too long, skipped\n");
  EXPECT_EQ(cfg.bindings, BindingList{K(fn::kLights, {34})});
  EXPECT_EQ(ReadText(cfg, std::string(kMaxLineLength - 11, ' ') + "k:lights:33\nm:1\n", &err), kLoads);  // at the limit
  EXPECT_EQ(cfg.bindings, BindingList{K(fn::kLights, {33})});
}

// Gives `good` bytes, then fails as a disk or a share does: the file buffer throws.
struct FailingReads : std::stringbuf {
  using std::stringbuf::stringbuf;
  int_type underflow() override { throw std::ios_base::failure("read error"); }
};

TEST_F(ConfigFile, StartUpLoadsTheFileOrTheDefaultsAndFilesThatCannotBeReadCountAsNotThere) {
  const std::string failed = "\nLoading Config... Failed. Loading defaults.\nType \"/o bnx config\" ingame to customise.\n";
  // A failed load (no siren or lights line): the defaults replace modes, category and bindings;
  // options and lights mode stay. No file at all is run end to end.
  Write("Beaconix.cfg", "v:1\nM:4\nc:2\no:1:1\nk:flash:65\n");
  Config partial;
  partial.lightsMode = 3;
  EXPECT_EQ(LoadStartupConfig(partial, out, err).state, FileState::kUnusable);
  EXPECT_EQ(partial.bindings, kDefaultBindings);
  EXPECT_EQ(partial.sirenBehaviour + partial.activeSirenMode + partial.modeCategory, 0u);
  EXPECT_TRUE(partial.lightsMode == 3 && partial.option(1));
  // A line the program cannot read costs that line only.
  Write("Beaconix.cfg", "# my bindings\nv:1\nm:2\nk:flash:65\n");
  Config cfg;
  const FileStatus skipped = LoadStartupConfig(cfg, out, err);
  EXPECT_EQ(cfg.bindings, BindingList{K(fn::kFlash, {65})});
  EXPECT_TRUE(skipped.state == FileState::kSkippedLines && skipped.skippedLines == 1 && skipped.loaded());
  // Files that open but fail every read, as folders do.
  fs::remove("Beaconix.cfg");
  for (const char* name : {"Beaconix.cfg", "cfg.txt", "data/script/autoexec.lfs"}) fs::create_directories(name);
  EXPECT_EQ(LoadStartupConfig(cfg, out, err).state, FileState::kUnusable);
  EXPECT_EQ(cfg.bindings, kDefaultBindings);
  Session session;
  session.adminPassword = "kept";
  EXPECT_EQ(ReadLFSConfig(session, out, err), LfsSetup::kNoAutoexec);
  EXPECT_TRUE(session.adminPassword == "kept" && session.insimPort == 0);
  EXPECT_EQ(out.str(), failed + "\nLoading Config... \n" + failed);
  EXPECT_EQ(err.str(), "Error reading config at line: 1: not a setting: # my bindings\n"
                       "Error reading config at line: 1: the file could not be read\n"
                       "Error reading cfg.txt at line: 1: the file could not be read\n"
                       "Error reading autoexec.lfs at line: 1: the file could not be read\n");
  FailingReads buf("v:1\nm:2\nk:flash:65\nl:");  // a read error after a few lines
  std::istream in(&buf);
  err.str("");
  EXPECT_EQ(ReadConfig(cfg, in, err), kFails);
  EXPECT_EQ(err.str(), "Error reading config at line: 4: the file could not be read\n");
}

TEST_F(ConfigFile, WritesTheLinesInOrderAndReadsBackAnyName) {
  Config cfg;
  cfg.sirenBehaviour = cfg.activeSirenMode = 1;
  cfg.lightsMode = 2;
  cfg.options[0] = cfg.options[7] = true;
  Binding mixed = D(fn::kExtra, "ab", {0, 12}, {{1, 90}, {0, 0}}, "G-1");
  mixed.keys = {0x74};
  cfg.bindings = {K(fn::kLights, {34, 33}), D(fn::kHazards, "", {3}), mixed, Binding{}};
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
  EXPECT_EQ(Read("Beaconix.cfg"), "v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\n"
                                  "k:lights:34\nk:lights:33\nb:haz:" + kG + "::3\nk:extra:116\nb:extra:{G-1}:YWI=:0\n"
                                  "b:extra:{G-1}:YWI=:12\np:extra:{G-1}:YWI=:1:90\np:extra:{G-1}:YWI=:0:0\n");

  // Names of any bytes and length (base64's three tails), past the old 255-byte limit, read back as written.
  std::string name;
  for (int i = 0; i < 300; ++i) name += static_cast<char>(i * 7 + 3);
  cfg.bindings = {D(fn::kSiren, name, {5}), K(fn::kHazards, {0x48}), D(fn::kSiren, "", {1}, {{0, 270}}, "EMPTY"),
                  D(fn::kFlash, name.substr(1, 298), {2}), D(fn::kExtra, name.substr(2, 299), {3})};
  cfg.lightsMode = 0;
  cfg.options[8] = cfg.options[9] = true;
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
  EXPECT_TRUE(Read("Beaconix.cfg").starts_with("v:1\nm:1\nM:1\nc:0\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\no:8:1\no:9:1\nb:"));
  Config back;
  EXPECT_EQ(LoadConfig(back, "Beaconix.cfg", err), kLoads);
  EXPECT_TRUE(back.bindings == cfg.bindings && back.options == cfg.options && back.sirenBehaviour == 1);
  EXPECT_EQ(err.str(), "");
}

// Stops taking bytes after a while, as a full disk does.
struct FailingWrites : std::streambuf {
  FailingWrites(std::streambuf& file, std::size_t room) : file(file), room(room) {}
  int_type overflow(int_type c) override { return room == 0 ? traits_type::eof() : (--room, file.sputc(char(c))); }
  std::streambuf& file;
  std::size_t room;
};

TEST_F(ConfigFile, AFailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
  EXPECT_EQ(SaveConfig(Config{}, "missing/Beaconix.cfg", err), kNotWritten);
  EXPECT_EQ(err.str().rfind("Error writing config file missing/Beaconix.cfg:\n", 0), 0u);

  Config cfg;
  cfg.bindings = kDefaultBindings;
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
  const std::string before = Read("Beaconix.cfg");
  cfg.sirenBehaviour = 2;
  for (std::size_t room : {std::size_t{0}, std::size_t{40}, before.size() - 2}) {
    err.str("");
    EXPECT_EQ(detail::SaveConfigThrough(cfg, "Beaconix.cfg", err,
                                        [room](std::streambuf& file) { return std::make_unique<FailingWrites>(file, room); }),
              kNotWritten);
    EXPECT_EQ(err.str(), "Error writing config file Beaconix.cfg:\nthe file could not be written completely; the old one is kept\n");
    EXPECT_EQ(Read("Beaconix.cfg"), before);
  }
  EXPECT_EQ(Folder(), std::set<std::string>{"Beaconix.cfg"});

  fs::remove("Beaconix.cfg");
  fs::create_directory("Beaconix.cfg");  // a folder in the way: the new file cannot take its place
  err.str("");
  EXPECT_EQ(SaveConfig(Config{}, "Beaconix.cfg", err), kNotWritten);
  EXPECT_EQ(err.str().rfind("Error writing config file Beaconix.cfg:\n", 0), 0u);
  EXPECT_EQ(Folder(), std::set<std::string>{"Beaconix.cfg"});
}

TEST_F(ConfigFile, AFileWithLinesThatCannotBeReadIsKeptWholeBeforeItsFirstSave) {
  const std::string mine = "# my bindings\nv:1\nm:0\nc:0\nk:lights:74\nk:siren:75\nb:haz:" + kG + ":UGFk:3\n";
  Write("Beaconix.cfg", mine);
  Write("Beaconix.cfg.bak", "an older copy");
  fs::create_symlink("gone", "Beaconix.cfg.bak2");  // a name taken by a link to nothing
  Config cfg;
  ASSERT_EQ(LoadConfig(cfg, "Beaconix.cfg", err), kLoads);
  err.str("");
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
  EXPECT_EQ(Read("Beaconix.cfg.bak3"), mine);
  EXPECT_EQ(Read("Beaconix.cfg.bak"), "an older copy");
  EXPECT_EQ(err.str(), "Beaconix.cfg had lines that could not be read: the old file is kept as " +
                           (fs::current_path() / "Beaconix.cfg.bak3").string() + "\n");
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);  // the saved file reads cleanly: no new copy
  EXPECT_EQ(Folder(), (std::set<std::string>{"Beaconix.cfg", "Beaconix.cfg.bak", "Beaconix.cfg.bak2", "Beaconix.cfg.bak3"}));
  EXPECT_FALSE(fs::exists("gone"));
  // A copy cut short (a full disk) is not left under any name, and the file stays as it was.
  Write("Beaconix.cfg", "k:flash:65\n");
  EXPECT_EQ(detail::SaveConfigThrough(cfg, "Beaconix.cfg", err,
                                      [](std::streambuf& file) { return std::make_unique<FailingWrites>(file, 5); }),
            kNotWritten);
  EXPECT_TRUE(err.str().ends_with(":\nit has lines that could not be read, and no copy of it could be kept as "
                                  "Beaconix.cfg.bak4; it was left as it was\n")) << err.str();
  EXPECT_EQ(Read("Beaconix.cfg"), "k:flash:65\n");
  EXPECT_EQ(Folder().size(), 4u);
  // One that did not load at all is kept too; with every name taken the last is replaced, and said so.
  for (int n = 4; n <= 9; ++n) Write("Beaconix.cfg.bak" + std::to_string(n), "older");
  err.str("");
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten);
  EXPECT_EQ(Read("Beaconix.cfg.bak9"), "k:flash:65\n");
  EXPECT_TRUE(err.str().ends_with("Beaconix.cfg.bak9 (replacing an older copy)\n")) << err.str();
}

TEST_F(ConfigFile, AReadOnlyFileIsNeverReplacedAndAnUnwritableFolderIsWrittenInPlace) {
  AsOrdinaryUser([] {
    constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    std::ostringstream err, want;
    Config cfg;
    cfg.sirenBehaviour = 2;
    WriteConfig(cfg, want);
    Write("Beaconix.cfg", "v:1\nm:1\n");
    fs::permissions("Beaconix.cfg", kReadOnly);
    EXPECT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kNotWritten);
    EXPECT_EQ(err.str(), "Error writing config file Beaconix.cfg:\nthe file is read-only; it was left as it was\n");
    EXPECT_EQ(Read("Beaconix.cfg"), "v:1\nm:1\n");
    EXPECT_EQ(fs::status("Beaconix.cfg").permissions(), kReadOnly);

    // A writable file in a folder the player may not write to.
    fs::permissions("Beaconix.cfg", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(".", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    err.str("");
    EXPECT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten) << err.str();
    EXPECT_EQ(Read("Beaconix.cfg"), want.str());
    cfg.sirenBehaviour = 3;
    for (std::size_t room : {std::size_t{0}, std::size_t{30}}) {  // a full disk midway: the old text comes back
      EXPECT_EQ(detail::SaveConfigThrough(cfg, "Beaconix.cfg", err,
                                          [room](std::streambuf& file) { return std::make_unique<FailingWrites>(file, room); }),
                kNotWritten);
      EXPECT_EQ(Read("Beaconix.cfg"), want.str());
    }
    EXPECT_TRUE(err.str().ends_with("the file could not be written completely; the old one is kept\n")) << err.str();
    // With lines it cannot read, and no room for a copy: left alone.
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::add);
    Write("Beaconix.cfg", "# mine\nm:1\n");
    fs::permissions(".", fs::perms::owner_write, fs::perm_options::remove);
    err.str("");
    EXPECT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kNotWritten);
    EXPECT_EQ(Read("Beaconix.cfg"), "# mine\nm:1\n");
    EXPECT_EQ(Folder(), std::set<std::string>{"Beaconix.cfg"});
  });
}

TEST_F(ConfigFile, SavesThroughALinkAndBesideWhateverHoldsATemporaryName) {
  Write("real/Beaconix.cfg", "old");
  fs::create_symlink("real/Beaconix.cfg", "Beaconix.cfg");
  for (const char* taken : {"real/Beaconix.cfg.tmp", "Beaconix.cfg.tmp"}) Write(taken, "someone else's");
  Config cfg;
  cfg.sirenBehaviour = 3;
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), kWritten) << err.str();
  EXPECT_TRUE(fs::is_symlink("Beaconix.cfg"));
  EXPECT_TRUE(Read("real/Beaconix.cfg").starts_with("v:1\nm:3\nM:0\n"));
  EXPECT_EQ(Read("Beaconix.cfg.tmp"), "someone else's");
  EXPECT_EQ(Read("real/Beaconix.cfg.tmp"), "someone else's");
  EXPECT_EQ(Folder(), (std::set<std::string>{"Beaconix.cfg", "Beaconix.cfg.tmp", "real"}));
}

}  // namespace
}  // namespace bnx::config
