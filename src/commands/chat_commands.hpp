#pragma once
// "/o bnx" chat commands: LFS hands "/o" lines to InSim programs as IS_MSO with
// UserType 3.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/status.hpp"
#include "insim/packets.hpp"
#include "insim/sink.hpp"

namespace bnx::commands {

// kNone: not meant for us; kUnknown: "/o bnx" and a word we do not know.
enum class Command {
  kNone,
  kConfig,
  kLightsMode,
  kRescan,
  kClear,
  kPrint,
  kHelp,
  kStatus,
  kUnknown
};

struct ChatCommand {
  Command command = Command::kNone;
  std::string argument;
  std::string word;  // lower-cased
};

// The command of a whole received IS_MSO; kNone for anything not meant for us.
// Reads only within the packet.
ChatCommand ParseMessageOut(insim::Bytes mso);

// What "help" answers, one local message each.
const std::vector<std::string>& HelpLines();

// "^" doubled, letters and digits kept, every other byte as "[code]".
std::string EscapeForPrint(std::string_view text);

// Exactly one character "0" to "3".
std::optional<std::uint32_t> LightsModeArgument(std::string_view argument);

// What a command asks of the connection beyond sending packets.
class ChatActions {
 public:
  virtual ~ChatActions() = default;
  virtual void OpenMainMenuFromChat() = 0;
  virtual void SetLightsMode(std::uint32_t mode) = 0;
  // How many controllers it found.
  virtual std::size_t RescanControllers() = 0;
  virtual Status ReadStatus() = 0;
  // Every button, and the open screen with them.
  virtual void ClearButtons() = 0;
};

// Parses and acts. A failing command is abandoned with one UTC-stamped line
// on `err`; nothing is thrown.
void MessageOut(insim::Bytes mso, ChatActions& actions, insim::PacketSink& sink, std::ostream& err);

}  // namespace bnx::commands
