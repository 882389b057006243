#include "commands/chat_commands.hpp"

#include <chrono>
#include <cstdio>
#include <exception>
#include <ostream>

#include "config/ascii.hpp"

namespace bnx::commands {

namespace {

// The first word, A to Z lower-cased.
std::string LowerFirstWord(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsAsciiBlank(s[i])) ++i;
  std::size_t end = i;
  while (end < s.size() && !IsAsciiBlank(s[end])) ++end;
  return AsciiLower(s.substr(i, end - i));
}

Command Lookup(const std::string& word) {
  if (word == "config" || word == "configure" || word == "cfg") return Command::kConfig;
  if (word == "lightsmode") return Command::kLightsMode;
  if (word == "rescan") return Command::kRescan;
  if (word == "clear") return Command::kClear;
  if (word == "print") return Command::kPrint;
  if (word == "help") return Command::kHelp;
  if (word == "status") return Command::kStatus;
  return Command::kUnknown;
}

constexpr std::string_view kReply = "^1[RZ]^7 Lights^9: ";

void Reply(insim::PacketSink& sink, const std::string& text) {
  sink.SendLocalMessage(std::string(kReply) + text, 1);
}

// The word is echoed only when it is short and plain, so the reply always fits
// and shows nothing a player did not mean to type.
std::string UnknownReply(const std::string& word) {
  bool plain = !word.empty() && word.size() <= 16;
  for (const char c : word) plain = plain && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
  return (plain ? "no command \"" + word + "\"" : std::string("no such command")) +
         "; /o bnx help lists them";
}

std::string FoundReply(std::size_t count) {
  if (count == 0) return "no game controllers found";
  return std::to_string(count) +
         (count == 1 ? " game controller found" : " game controllers found");
}

std::string UtcStamp() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day ymd{day};
  const hh_mm_ss hms{now - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC", int(ymd.year()),
                unsigned(ymd.month()), unsigned(ymd.day()), int(hms.hours().count()),
                int(hms.minutes().count()), int(hms.seconds().count()));
  return text;
}

}  // namespace

const std::vector<std::string>& HelpLines() {
  static const std::vector<std::string> lines{
      "^1[RZ]^7 Lights^9 chat commands:",
      "/o bnx config (or configure, cfg): open the settings menu",
      "/o bnx lightsmode 0 to 3: try a flashing-light mode without saving it",
      "/o bnx rescan: look for game controllers again",
      "/o bnx clear: remove all of the program's buttons",
      "/o bnx print text: echo the text, signs other than letters and digits as [code]",
      "/o bnx status: what Beaconix is doing now, and why",
      "/o bnx help: this list",
  };
  return lines;
}

ChatCommand ParseMessageOut(insim::Bytes mso) {
  const insim::Mso m = insim::DecodeMso(mso);
  if (m.userType != insim::kMsoO) return {};
  const std::size_t textStart = m.textStart;
  const std::string_view msg = m.msg;
  if (msg.size() <= textStart + 1) return {};
  const std::string_view line = Trim(std::string_view(msg).substr(textStart));
  if (line.empty() || LowerFirstWord(line) != "bnx" || line.size() <= 4) return {};
  const std::string_view rest = Trim(line.substr(4));
  if (rest.empty()) return {};
  const std::string word = LowerFirstWord(rest);
  ChatCommand command{Lookup(word), {}, word};
  if (rest.size() >= word.size() + 2) command.argument = Trim(rest.substr(word.size()));
  return command;
}

std::string EscapeForPrint(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '^') {
      out += "^^";
    } else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')) {
      out += c;
    } else {
      out += '[' + std::to_string(b) + ']';
    }
  }
  return out;
}

std::optional<std::uint32_t> LightsModeArgument(std::string_view argument) {
  if (argument.size() != 1 || argument[0] < '0' || argument[0] > '3') return std::nullopt;
  return std::uint32_t(argument[0] - '0');
}

void MessageOut(insim::Bytes mso, ChatActions& actions, insim::PacketSink& sink,
                std::ostream& err) {
  try {
    const ChatCommand c = ParseMessageOut(mso);
    switch (c.command) {
      case Command::kConfig:
        actions.OpenMainMenuFromChat();
        break;
      case Command::kLightsMode:
        if (const auto mode = LightsModeArgument(c.argument))
          actions.SetLightsMode(*mode);
        else
          Reply(sink, "lightsmode takes one number, 0 to 3 (/o bnx lightsmode 2); the mode stays");
        break;
      case Command::kRescan:
        Reply(sink, FoundReply(actions.RescanControllers()));
        break;
      case Command::kClear:
        actions.ClearButtons();
        break;
      case Command::kPrint:
        sink.SendLocalMessage(EscapeForPrint(c.argument), 1);
        break;
      case Command::kHelp:
        for (const std::string& line : HelpLines()) sink.SendLocalMessage(line, 1);
        break;
      case Command::kStatus:
        for (const std::string& line : StatusLines(actions.ReadStatus()))
          sink.SendLocalMessage(line, 1);
        break;
      case Command::kUnknown:
        Reply(sink, UnknownReply(c.word));
        break;
      case Command::kNone:
        break;
    }
  } catch (const std::exception& e) {
    err << UtcStamp() << " ISApp::MessageOut Exception: " << e.what() << std::endl;
  } catch (...) {
    err << UtcStamp() << " ISApp::MessageOut Unknown Exception" << std::endl;
  }
}

}  // namespace bnx::commands
