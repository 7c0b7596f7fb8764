#include "document/gdt_loader.h"

#include "calc/error.h"
#include "calc/number_text.h"
#include "document/gdt_writer.h"
#include "document/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velquor {

namespace {

    constexpr std::size_t BlockLines = 18;

    [[noreturn]] void cannotOpen(const std::string& path)
    {
        throw Error(formatMessage(CannotOpenMessage, path));
    }

    // The whole regular file at path, or the open error; nothing else is touched.
    std::string readWholeFile(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            cannotOpen(path);
        struct stat info
        {
        };
        // Checked on the open descriptor so that the file read is the file checked.
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
            || static_cast<std::uintmax_t>(info.st_size) > MaxGdtFileSize) {
            ::close(fd);
            cannotOpen(path);
        }
        std::string bytes;
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > MaxGdtFileSize) {
                ::close(fd);
                cannotOpen(path);
            }
            if (got == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(fd);
        return bytes;
    }

    // The list of lines, where a line past the end reads as empty.
    class Lines
    {
    public:
        explicit Lines(std::vector<std::string> lines)
            : m_lines(std::move(lines))
        {
        }
        const std::string& operator[](std::size_t index) const
        {
            static const std::string empty;
            return index < m_lines.size() ? m_lines[index] : empty;
        }
        std::size_t size() const { return m_lines.size(); }

    private:
        std::vector<std::string> m_lines;
    };

    std::int32_t integerValue(const std::string& text)
    {
        std::int32_t value = 0;
        if (!TryStrToInt(text, value))
            throw Error(formatMessage(NotIntegerMessage, shownText(text)));
        return value;
    }

    // The keys of the settings, by the setter that takes their value.
    const std::pair<std::string_view, Setting> textKeys[] = {
        { "[Accuracy]", Setting::Accuracy },
        { "[TempAccuracy]", Setting::TempAccuracy },
        { "[Interval]", Setting::Interval },
        { "[Interval2]", Setting::Interval2 },
        { "[ratio]", Setting::Ratio },
        { "[MainLineWidth]", Setting::MainLineWidth },
        { "[A]", Setting::ValA },
        { "[B]", Setting::ValB },
        { "[AInterval]", Setting::AInterval },
        { "[BInterval]", Setting::BInterval },
        { "[Animate]", Setting::Animate },
    };
    const std::pair<std::string_view, Setting> flagKeys[] = {
        { "[CheckScale]", Setting::CheckScale },
        { "[CheckDegree]", Setting::CheckDegree },
        { "[OtherFunction]", Setting::OtherFunction },
    };
    const std::pair<std::string_view, Setting> colorKeys[] = {
        { "[BackgroundColor]", Setting::BackgroundColor },
        { "[MainLineColor]", Setting::MainLineColor },
    };
    // The keys that are no setting.
    const std::string_view otherKeys[] = { "[Count]", "[Zoom]", "[CX]", "[CY]" };

    // Applies the value line of a key; returns false when the line is no key.
    bool applyKey(
        Document& document, const std::string& key, const std::string& value, std::int32_t& count)
    {
        for (const auto& [name, setting] : textKeys) {
            if (key == name) {
                document.setText(setting, value);
                return true;
            }
        }
        for (const auto& [name, setting] : flagKeys) {
            if (key == name) {
                document.setFlag(setting, integerValue(value) != 0);
                return true;
            }
        }
        for (const auto& [name, setting] : colorKeys) {
            if (key == name) {
                document.setColor(setting, integerValue(value));
                return true;
            }
        }
        if (key == "[Count]") {
            count = integerValue(value);
        } else if (key == "[Zoom]") {
            document.setView(document.CX, document.CY, integerValue(value));
        } else if (key == "[CX]") {
            document.setView(integerValue(value), document.CY, document.Zoom);
        } else if (key == "[CY]") {
            document.setView(document.CX, integerValue(value), document.Zoom);
        } else {
            return false;
        }
        return true;
    }

    // Whether the settings scan would match anything: it compares every line up to "[END]"
    // with the keys, so a file has a match exactly when some line is a key or "[END]".
    bool isKeyOrEnd(const std::string& line)
    {
        const auto named = [&line](const auto& table) {
            return std::any_of(std::begin(table), std::end(table),
                [&line](const auto& key) { return line == key.first; });
        };
        return line == "[END]" || named(textKeys) || named(flagKeys) || named(colorKeys)
            || std::find(std::begin(otherKeys), std::end(otherKeys), line) != std::end(otherKeys);
    }

    bool hasDocumentLine(const Lines& lines)
    {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (isKeyOrEnd(lines[i]))
                return true;
        }
        return false;
    }

    // The settings scan; returns the index of the first line of the entries.
    // Every line is compared with the keys, a value line too, so a value that equals a key
    // is read as that key; "[END]" ends the scan wherever it stands.
    std::size_t scanSettings(Document& document, const Lines& lines, std::int32_t& count)
    {
        std::size_t i = 0;
        for (;;) {
            if (!applyKey(document, lines[i], lines[i + 1], count) && lines[i] == "[END]")
                return i + 1;
            ++i;
            if (i > lines.size())
                return i;
        }
    }

    // Reads the block that starts at line first; throws on its first bad integer field.
    GraphEntry readBlock(const Lines& lines, std::size_t first)
    {
        GraphEntry entry;
        entry.name = lines[first];
        entry.visible = integerValue(lines[first + 1]);
        entry.kind = integerValue(lines[first + 2]);
        entry.color = integerValue(lines[first + 3]);
        entry.width = integerValue(lines[first + 4]);
        entry.formula1 = lines[first + 5];
        entry.formula2 = lines[first + 6];
        entry.divisions = integerValue(lines[first + 7]);
        entry.rangeFrom = lines[first + 8];
        entry.rangeTo = lines[first + 9];
        return entry;
    }

} // namespace

std::vector<std::string> decodeGdtLines(std::string_view bytes)
{
    std::string text;
    if (bytes.starts_with(Utf8ByteOrderMark))
        text = sanitizeUtf8(bytes.substr(Utf8ByteOrderMark.size()));
    else
        text = decodeCp932(bytes);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

GdtLoadResult loadGdt(Document& document, const std::string& path)
{
    const std::string bytes = readWholeFile(path);
    return loadGdtBytes(document, bytes, path);
}

GdtLoadResult loadGdtBytes(Document& document, std::string_view bytes, const std::string& path)
{
    const Lines lines(decodeGdtLines(bytes));
    // Refused before anything changes, so that a later save cannot overwrite the file.
    if (!hasDocumentLine(lines))
        throw Error(formatMessage(NotADocumentMessage, path));
    document.setFileName(path);
    document.setText(Setting::AInterval, "1");
    document.setText(Setting::BInterval, "1");
    document.setText(Setting::Animate, "40");
    document.clearEntries();

    std::int32_t count = 0;
    const std::size_t first = scanSettings(document, lines, count);

    GdtLoadResult result;
    const std::int32_t toRead = std::min(count, static_cast<std::int32_t>(MaxEntries));
    for (std::int32_t k = 0; k < toRead; ++k)
        document.appendEntry(readBlock(lines, first + static_cast<std::size_t>(k) * BlockLines));
    if (count > MaxEntries) {
        result.entriesNotLoaded = count - MaxEntries;
        result.warning
            = formatMessage(EntriesNotLoadedMessage, std::to_string(result.entriesNotLoaded));
    }
    return result;
}

} // namespace velquor
