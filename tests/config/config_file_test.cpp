#include "config/config_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "input/functions.hpp"
#include "input/keys.hpp"

namespace bnx::config {
namespace {

namespace fs = std::filesystem;

const char* const kGuid = "6F1D2B61-D5A0-11CF-BFC7-444553540000";

Binding Keys(ControlFunction f, std::vector<std::uint32_t> keys) {
  Binding b;
  b.function = f;
  b.keys = std::move(keys);
  return b;
}

Binding Pad(ControlFunction f, std::string name, std::vector<std::uint32_t> buttons,
            std::vector<PovInput> povs = {}, std::string guid = kGuid) {
  Binding b;
  b.function = f;
  b.deviceGuid = std::move(guid);
  b.deviceName = std::move(name);
  b.buttons = std::move(buttons);
  b.povs = std::move(povs);
  return b;
}

// The fields the file holds.
void ExpectSameFileFields(const Config& a, const Config& b) {
  EXPECT_EQ(a.bindings, b.bindings);
  EXPECT_EQ(a.activeSirenMode, b.activeSirenMode);
  EXPECT_EQ(a.sirenBehaviour, b.sirenBehaviour);
  EXPECT_EQ(a.modeCategory, b.modeCategory);
  EXPECT_EQ(a.lightsMode, b.lightsMode);
  EXPECT_EQ(a.options, b.options);
}

int ReadText(Config& cfg, const std::string& text, std::string* errText = nullptr) {
  std::istringstream in(text);
  std::ostringstream err;
  const int rc = ReadConfig(cfg, in, err);
  if (errText) *errText = err.str();
  return rc;
}

// Every test runs in a fresh folder of its own and returns to where it was.
class ConfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("bnx-cfg-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(home_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

  // Saves and reads back into a fresh record.
  static Config RoundTrip(const Config& cfg) {
    std::ostringstream err;
    EXPECT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), 0);
    Config back;
    EXPECT_EQ(LoadConfig(back, "Beaconix.cfg", err), 0);
    EXPECT_EQ(err.str(), "");
    return back;
  }

 private:
  fs::path home_, dir_;
};

TEST_F(ConfigFile, WritesTheLinesInOrder) {
  Config cfg;
  cfg.sirenBehaviour = 1;
  cfg.activeSirenMode = 1;
  cfg.lightsMode = 2;
  cfg.options[0] = cfg.options[7] = true;
  cfg.bindings = {Keys(fn::kLights, {34}), Keys(fn::kSiren, {33}), Pad(fn::kHazards, "Pad", {3})};
  std::ostringstream err;
  ASSERT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), 0);
  EXPECT_EQ(Read("Beaconix.cfg"),
            "v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\n"
            "k:lights:34\nk:siren:33\nb:haz:{6F1D2B61-D5A0-11CF-BFC7-444553540000}:UGFk:3\n");
  EXPECT_FALSE(fs::exists("Beaconix.cfg.tmp"));

  cfg.lightsMode = 0;
  cfg.options[8] = cfg.options[9] = true;
  cfg.bindings.clear();
  std::ostringstream os;
  WriteConfig(cfg, os);
  EXPECT_EQ(os.str(), "v:1\nm:1\nM:1\nc:0\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\no:8:1\no:9:1\n");
}

TEST(BindingText, WritesKeysThenButtonsThenPovs) {
  Binding b = Pad(fn::kExtra, "ab", {0, 12}, {{1, 90}, {0, 0}}, "G-1");
  b.keys = {0x74};
  EXPECT_EQ(BindingToText(b),
            "k:extra:116\nb:extra:{G-1}:YWI=:0\nb:extra:{G-1}:YWI=:12\np:extra:{G-1}:YWI=:1:90\n"
            "p:extra:{G-1}:YWI=:0:0\n");
  EXPECT_EQ(BindingToText(Binding{}), "");
}

TEST(FunctionKey, FindsEveryConfigKeyInAnyCase) {
  for (int f = 0; f < fn::kCount; ++f) {
    const auto id = static_cast<ControlFunction>(f);
    std::string key(input::FunctionConfigKey(id));
    EXPECT_EQ(FunctionFromKey(key), id) << key;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(FunctionFromKey(key), id) << key;
  }
  EXPECT_EQ(FunctionFromKey("Siren2"), fn::kBullhorn);
  EXPECT_EQ(FunctionFromKey("sirens"), fn::kNone);
  EXPECT_EQ(FunctionFromKey(""), fn::kNone);
}

TEST(BindingLine, ParsesTheThreeFormsAndRejectsTheRest) {
  const std::string g = std::string("{") + kGuid + "}";
  struct Case {
    std::string line;
    Binding expect;
  } const cases[] = {
      {"k:lights:34", Keys(fn::kLights, {34})},
      {"k:siren:033", Keys(fn::kSiren, {33})},
      {"k:lights:1", Keys(fn::kLights, {1})},
      {"k:lights:254", Keys(fn::kLights, {254})},
      {"k:lights:7", {}},     // not a bindable key
      {"k:lights:16", {}},    // generic Shift is not in the table
      {"k:lights:0034", {}},  // four digits
      {"k:lights:", {}},
      {"k:none:34", {}},
      {"k:bogus:34", {}},
      {"k:LIGHTS:34", {}},
      {"k:ab:34", {}},
      {"k:lights:34 ", {}},
      {"b:haz:" + g + ":UGFk:3", Pad(fn::kHazards, "Pad", {3})},
      {"b:haz:" + g + ":UGFk:999", Pad(fn::kHazards, "Pad", {999})},
      {"b:haz:" + g + "::3", Pad(fn::kHazards, "", {3})},  // a controller without a name
      {"b:haz:" + g + ":YWI=:3", Pad(fn::kHazards, "ab", {3})},
      {"b:haz:" + g + ":UGFk===:3", {}},
      {"b:haz:" + g + ":=:3", {}},
      {"b:haz:" + g + ":UGFk:1234", {}},
      {"b:haz:{}:UGFk:3", {}},
      {"b:haz:{6f1d}:UGFk:3", {}},
      {"b:haz:" + g + ":UG Fk:3", {}},
      {"b:haz:" + g + ":UGFk:", {}},
      {"p:flash:" + g + ":UGFk:1:90", Pad(fn::kFlash, "Pad", {}, {{1, 90}})},
      {"p:flash:" + g + ":UGFk:0:999", Pad(fn::kFlash, "Pad", {}, {{0, 999}})},
      {"p:flash:" + g + "::0:180", Pad(fn::kFlash, "", {}, {{0, 180}})},
      {"p:flash:" + g + ":UGFk:3:90", Pad(fn::kFlash, "Pad", {}, {{3, 90}})},
      {"p:flash:" + g + ":UGFk:4:90", {}},  // four hats at most
      {"p:flash:" + g + ":UGFk:12:90", {}},
      {"p:flash:" + g + ":UGFk:1", {}},
      {"p:flash:" + g + ":UGFk:1:1000", {}},
      {"x:lights:34", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBindingLine(c.line), c.expect) << c.line;
}

TEST(ReadConfig, ReportsEveryRejectedLine) {
  struct Case {
    const char* line;
    const char* message;
  } const cases[] = {
      {"m:8", "Unknown Siren Mode: 8"},      {"M:9", "Unknown Siren Mode: 9"},
      {"l:4", "Unknown Lights Mode: 4"},     {"c:7", "Unknown Mode Category: 7"},
      {"o:8", "Unknown option: o:8"},        {"o:x", "Unknown option: o:x"},
      {"o:x:1", "Unknown option: o:x:1"},    {"m:x", "invalid stoi argument"},
      {"v:?", "invalid stoi argument"},      {"M:-", "invalid stoi argument"},
      {"l:+", "invalid stoi argument"},      {"c:c", "invalid stoi argument"},
  };
  for (const Case& c : cases) {
    Config cfg;
    std::string err;
    EXPECT_EQ(ReadText(cfg, std::string("v:1\r\nl:1\r\n") + c.line + "\r\nm:2\r\n", &err), 0) << c.line;
    EXPECT_EQ(err, std::string("Error reading config at line: 3: ") + c.message + "\n");
    EXPECT_EQ(cfg.sirenBehaviour, 2u);  // reading went on
  }
}

TEST(ReadConfig, ClassifiesLines) {
  struct Case {
    const char* text;
    int rc;
    std::uint32_t behaviour, active, category, lights;
    std::vector<int> optionsOn;
    const char* error = "";
  } const cases[] = {
      {"m:1\n", 0, 1, 1, 0, 0, {}},
      {"m:6\n", 0, 0, 0, 0, 0, {}},          // 5 to 7 become 0
      {"m:7\nM:7\n", 0, 0, 7, 0, 0, {}},
      {"m:3\nM:5\nc:2\n", 0, 3, 5, 2, 0, {}},
      {"m:12\nl:1\n", 0, 0, 0, 0, 1, {}},    // dropped without a word
      {"l:3\n", 0, 0, 0, 0, 3, {}},          // a lights line alone is enough
      {"M:2\nc:1\n", 1, 0, 2, 1, 0, {}},     // no m or l line
      {"\n   \n\t m:2 \t\r\n\n", 0, 2, 2, 0, 0, {}},
      {"m:1\n# comment\n", 1, 1, 1, 0, 0, {}, "Error reading config at line: 2: not a setting: # comment\n"},
      {"m:1\nx\n", 1, 1, 1, 0, 0, {}, "Error reading config at line: 2: not a setting: x\n"},
      {"m:1\nab\n", 1, 1, 1, 0, 0, {}, "Error reading config at line: 2: not a setting: ab\n"},
      {"m:1\nlights=1\n", 1, 1, 1, 0, 0, {}, "Error reading config at line: 2: not a setting: lights=1\n"},
      {"\xEF\xBB\xBFm:1\n", 0, 1, 1, 0, 0, {}},  // a byte-order mark from the editor
      {"m:1\no:3:1\n", 0, 1, 1, 0, 0, {}},   // option lines need a version
      {"v:1\nm:1\no:3:1\no:8:1\no:9:1x\n", 0, 1, 1, 0, 0, {3, 8, 9}},
      {"v:2\nm:1\no:3:2\no:4:\n", 0, 1, 1, 0, 0, {}},
      {"m:1\no:5\no:0\n", 0, 1, 1, 0, 0, {0, 5}},
      {"v:1\nm:1\no:12\n", 0, 1, 1, 0, 0, {}},  // too short for an option line
      {"m:1\nv:1", 0, 1, 1, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Config cfg;
    cfg.modeCategory = 3;  // without a c line the category is 0
    std::string err;
    EXPECT_EQ(ReadText(cfg, c.text, &err), c.rc);
    EXPECT_EQ(err, c.error);
    EXPECT_EQ(cfg.sirenBehaviour, c.behaviour);
    EXPECT_EQ(cfg.activeSirenMode, c.active);
    EXPECT_EQ(cfg.modeCategory, c.category);
    EXPECT_EQ(cfg.lightsMode, c.lights);
    std::array<bool, opt::kCount> on{};
    for (int n : c.optionsOn) on[static_cast<std::size_t>(n)] = true;
    EXPECT_EQ(cfg.options, on);
  }
}

TEST(ReadConfig, AnOptionLineCanTurnAnOptionOff) {
  Config cfg;
  cfg.options.fill(true);
  EXPECT_EQ(ReadText(cfg, "v:1\nm:0\no:2:0\no:6:x\n"), 0);
  EXPECT_FALSE(cfg.option(2));
  EXPECT_FALSE(cfg.option(6));
  EXPECT_TRUE(cfg.option(9));
}

TEST(ReadConfig, MergesTheBindingsItReads) {
  Config cfg;
  cfg.bindings = {Keys(fn::kFlash, {65})};  // replaced by the file's
  const std::string g = std::string("{") + kGuid + "}";
  EXPECT_EQ(ReadText(cfg,
                     "m:0\nk:lights:34\nk:bogus:35\nb:lights:" + g + ":QQ==:1\nk:lights:34\nk:lights:36\n"
                     "p:lights:" + g + ":Qg==:0:90\nk:lights:7\np:lights:" + g + ":QQ==:2:0\n"),
            0);
  EXPECT_EQ(cfg.bindings,
            (BindingList{Keys(fn::kLights, {34, 36}), Pad(fn::kLights, "A", {1}, {{0, 90}, {2, 0}})}));
}

TEST(ReadConfig, SkipsAnAbsurdlyLongLineAndReadsOn) {
  Config cfg;
  std::string err;
  EXPECT_EQ(ReadText(cfg, "m:1\n" + std::string(kMaxLineLength + 1, 'k') + "\nk:lights:34\nl:2\n", &err), 0);
  EXPECT_EQ(err, "Error reading config at line: 2: line too long, skipped\n");
  EXPECT_EQ(cfg.bindings, BindingList{Keys(fn::kLights, {34})});
  EXPECT_EQ(cfg.lightsMode, 2u);

  std::string padded(kMaxLineLength - 11, ' ');
  EXPECT_EQ(ReadText(cfg, padded + "k:lights:33\nm:1\n", &err), 0);  // at the limit: read
  EXPECT_EQ(err, "");
  EXPECT_EQ(cfg.bindings, BindingList{Keys(fn::kLights, {33})});
}

TEST_F(ConfigFile, AMissingFileFailsAndLeavesTheRecord) {
  Config cfg;
  cfg.sirenBehaviour = 3;
  cfg.bindings = {Keys(fn::kFlash, {65})};
  std::ostringstream err;
  EXPECT_EQ(LoadConfig(cfg, "Beaconix.cfg", err), 1);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(cfg.sirenBehaviour, 3u);
  EXPECT_EQ(cfg.bindings.size(), 1u);
}

TEST_F(ConfigFile, StartUpLoadsTheFileOrTheDefaults) {
  Config cfg;
  std::ostringstream out, err;
  EXPECT_FALSE(LoadStartupConfig(cfg, out, err));
  EXPECT_EQ(out.str(), "\nLoading Config... Failed. Loading defaults.\nType \"/o bnx config\" ingame to customise.\n");
  EXPECT_EQ(cfg.bindings, (BindingList{Keys(fn::kLights, {0x22}), Keys(fn::kSiren, {0x21})}));

  // Only binding lines: the bindings load, the load fails, and the defaults
  // replace modes, category and bindings; options and lights mode stay.
  Write("Beaconix.cfg", "v:1\nM:4\nc:2\nl:3\no:1:1\nk:flash:65\n# note\nm:2\n");
  Config partial;
  out.str("");
  EXPECT_FALSE(LoadStartupConfig(partial, out, err));
  EXPECT_EQ(err.str(), "Error reading config at line: 7: not a setting: # note\n");
  err.str("");
  EXPECT_EQ(partial.bindings, (BindingList{Keys(fn::kLights, {0x22}), Keys(fn::kSiren, {0x21})}));
  EXPECT_EQ(partial.sirenBehaviour, 0u);
  EXPECT_EQ(partial.activeSirenMode, 0u);
  EXPECT_EQ(partial.modeCategory, 0u);
  EXPECT_EQ(partial.lightsMode, 3u);
  EXPECT_TRUE(partial.option(1));

  Write("Beaconix.cfg", "v:1\nm:2\nk:flash:65\n");
  Config good;
  out.str("");
  EXPECT_TRUE(LoadStartupConfig(good, out, err));
  EXPECT_EQ(out.str(), "\nLoading Config... \n");
  EXPECT_EQ(good.bindings, BindingList{Keys(fn::kFlash, {65})});
  EXPECT_EQ(err.str(), "");
}

TEST(Defaults, ReplaceModesAndBindingsOnly) {
  Config cfg;
  cfg.activeSirenMode = cfg.sirenBehaviour = cfg.modeCategory = cfg.lightsMode = 3;
  cfg.options[4] = true;
  cfg.bindings = {Keys(fn::kFlash, {65})};
  LoadDefaults(cfg);
  EXPECT_EQ(cfg.activeSirenMode, 0u);
  EXPECT_EQ(cfg.sirenBehaviour, 0u);
  EXPECT_EQ(cfg.modeCategory, 0u);
  EXPECT_EQ(cfg.lightsMode, 3u);
  EXPECT_TRUE(cfg.option(4));
  EXPECT_EQ(cfg.bindings, (BindingList{Keys(fn::kLights, {0x22}), Keys(fn::kSiren, {0x21})}));
}

// A canonical record such as the screens produce.
Config RandomConfig(std::mt19937& rng) {
  Config cfg;
  cfg.sirenBehaviour = rng() % 5;
  cfg.activeSirenMode = rng() % 8;
  cfg.modeCategory = rng() % 4;
  cfg.lightsMode = rng() % 4;
  for (bool& o : cfg.options) o = rng() % 2;
  const auto table = input::KeyTable();
  const int devices = static_cast<int>(rng() % 4);
  for (int f = 1; f < fn::kCount; ++f) {
    if (rng() % 2) {
      Binding k = Keys(static_cast<ControlFunction>(f), {});
      for (std::size_t i = rng() % table.size(), n = 1 + rng() % 4; n > 0; --n, i = (i + 7) % table.size())
        k.keys.push_back(table[i].code);
      cfg.bindings.push_back(k);
    }
    for (int d = 0; d < devices; ++d) {
      if (rng() % 3) continue;
      std::string name(rng() % 3 == 0 ? 0 : rng() % 300, '\0');  // up to past the old 255 limit
      for (char& c : name) c = static_cast<char>(rng());
      Binding pad = Pad(static_cast<ControlFunction>(f), name, {}, {}, "0000000" + std::to_string(d) + "-AB-CD");
      for (std::uint32_t n = rng() % 3, b = rng() % 128; n > 0; --n, b += 1 + rng() % 100) pad.buttons.push_back(b % 1000);
      for (std::uint32_t n = rng() % 3; n > 0; --n) pad.povs.push_back({n - 1, static_cast<std::uint32_t>(rng() % 8 * 45)});
      if (pad.buttons.empty() && pad.povs.empty()) pad.buttons.push_back(0);
      cfg.bindings.push_back(pad);
    }
  }
  std::shuffle(cfg.bindings.begin(), cfg.bindings.end(), rng);
  return cfg;
}

TEST_F(ConfigFile, RoundTripsAVarietyOfRecords) {
  std::mt19937 rng(2024);
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    const Config cfg = RandomConfig(rng);
    const Config once = RoundTrip(cfg);
    ExpectSameFileFields(once, cfg);
    ExpectSameFileFields(RoundTrip(once), once);
    if (HasFailure()) break;
  }
}

TEST_F(ConfigFile, LongAndEmptyControllerNamesSurviveAReload) {
  Config cfg;
  cfg.sirenBehaviour = 2;
  cfg.bindings = {Pad(fn::kSiren, std::string(300, 'N'), {5}), Keys(fn::kHazards, {0x48}),
                  Pad(fn::kHazards, "", {1}, {{0, 270}}, "EMPTY-NAME"), Keys(fn::kExtra, {0x45})};
  const Config back = RoundTrip(cfg);
  ExpectSameFileFields(back, cfg);
  std::istringstream file(Read("Beaconix.cfg"));
  std::string line;
  while (std::getline(file, line) && line.rfind("b:siren:", 0) != 0) {}
  EXPECT_GT(line.size(), 400u);
  EXPECT_NE(Read("Beaconix.cfg").find("b:haz:{EMPTY-NAME}::1\n"), std::string::npos);
}

TEST_F(ConfigFile, AnUnwritablePathIsReportedAsAFailure) {
  Config cfg;
  std::ostringstream err;
  EXPECT_EQ(SaveConfig(cfg, (fs::path("missing") / "Beaconix.cfg").string(), err), 1);
  EXPECT_EQ(err.str().rfind("Error writing config file " + (fs::path("missing") / "Beaconix.cfg").string() + ":\n", 0), 0u);

  // A folder in the way: the new file is written but cannot take its place.
  fs::create_directory("Beaconix.cfg");
  err.str("");
  EXPECT_EQ(SaveConfig(cfg, "Beaconix.cfg", err), 1);
  EXPECT_EQ(err.str().rfind("Error writing config file Beaconix.cfg:\n", 0), 0u);
  EXPECT_FALSE(fs::exists("Beaconix.cfg.tmp"));
}

// Stops taking bytes after a while, as a full disk does.
class FailingBuffer : public std::streambuf {
 public:
  FailingBuffer(std::streambuf& file, std::size_t room) : file_(file), room_(room) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (room_ == 0) return traits_type::eof();
    --room_;
    return file_.sputc(traits_type::to_char_type(c));
  }
  int sync() override { return file_.pubsync(); }

 private:
  std::streambuf& file_;
  std::size_t room_;
};

TEST_F(ConfigFile, AnInterruptedSaveKeepsTheOldFile) {
  std::mt19937 rng(5);
  const Config old = RandomConfig(rng);
  std::ostringstream err;
  ASSERT_EQ(SaveConfig(old, "Beaconix.cfg", err), 0);
  const std::string before = Read("Beaconix.cfg");

  const Config next = RandomConfig(rng);
  for (std::size_t room : {std::size_t{0}, std::size_t{1}, std::size_t{40}, before.size() / 2}) {
    SCOPED_TRACE(room);
    err.str("");
    const int rc = detail::SaveConfigThrough(next, "Beaconix.cfg", err, [room](std::streambuf& file) {
      return std::make_unique<FailingBuffer>(file, room);
    });
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(err.str(), "Error writing config file Beaconix.cfg:\nthe file could not be written completely; the old one is kept\n");
    EXPECT_EQ(Read("Beaconix.cfg"), before);
    EXPECT_FALSE(fs::exists("Beaconix.cfg.tmp"));
  }
  // A save that completes replaces the file.
  ASSERT_EQ(SaveConfig(next, "Beaconix.cfg", err), 0);
  Config back;
  EXPECT_EQ(LoadConfig(back, "Beaconix.cfg", err), 0);
  ExpectSameFileFields(back, next);
}

}  // namespace
}  // namespace bnx::config
