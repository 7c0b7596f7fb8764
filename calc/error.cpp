#include "calc/error.h"

namespace velquor {

std::string formatMessage(std::string_view pattern, std::string_view argument)
{
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

std::string shownText(std::string_view text)
{
    std::string shown;
    std::size_t characters = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80 && ++characters > ShownTextLimit)
            return shown + "...";
        // A NUL byte would end the message wherever it is read as a C string.
        if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}

} // namespace velquor
