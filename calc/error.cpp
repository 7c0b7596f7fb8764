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

} // namespace velquor
