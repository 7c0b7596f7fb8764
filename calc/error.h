#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velquor {

// A failure of a command, carrying the message text the user sees (UTF-8).
// Commands let it propagate; only the application's event loop turns it into a message box.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

// The system's message texts; %s is replaced by the offending text or path.
inline constexpr std::string_view NotFloatMessage = "'%s' は浮動小数点数ではありません";
inline constexpr std::string_view NotIntegerMessage = "'%s' は整数ではありません";
inline constexpr std::string_view CannotOpenMessage = "ﾌｧｲﾙ %s は開けません";
inline constexpr std::string_view CannotCreateMessage = "ﾌｧｲﾙ %s を作成できません";

// The pattern with its first "%s" replaced by the argument.
std::string formatMessage(std::string_view pattern, std::string_view argument);

// A text typed or read from a file, as a message shows it: its first ShownTextLimit characters
// (UTF-8), followed by "..." when there are more, so that a huge setting gives a short message;
// a NUL byte shows as "\0".
inline constexpr std::size_t ShownTextLimit = 100;
std::string shownText(std::string_view text);

} // namespace velquor
