#include "document/gdt_loader.h"

#include "calc/error.h"
#include "calc/number_text.h"
#include "document/atomic_file.h"
#include "document/gdt_writer.h"
#include "document/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velquor {

namespace {

    constexpr std::size_t BlockLines = 18;
    // Bytes read or scanned between two calls of the progress callback; a file smaller than
    // this is loaded without any call.
    constexpr std::size_t ProgressStep = std::size_t(1) << 20;

    [[noreturn]] void cannotOpen(const std::string& path)
    {
        throw Error(formatMessage(CannotOpenMessage, path));
    }

    // The bytes of a file, held without being set first (the read writes every one of them).
    struct FileBytes
    {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
        std::string_view view() const { return { data.get(), size }; }
    };

    // The whole regular file at path, or the open error; nothing else is touched. The
    // progress goes from 0 to `share` as the bytes come in.
    FileBytes readWholeFile(const std::string& path, const GdtLoadProgress& progress, double share)
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
        // Room for the file and a little more, so that one that grew since the check is seen
        // growing (and read whole within the limit, refused past it).
        const auto expected = std::max<std::size_t>(static_cast<std::size_t>(info.st_size), 1);
        std::size_t capacity = std::min(expected + ProgressStep, MaxGdtFileSize + 1);
        FileBytes bytes { std::make_unique_for_overwrite<char[]>(capacity) };
        for (;;) {
            if (bytes.size > MaxGdtFileSize) { // grew past the limit while it was read
                ::close(fd);
                cannotOpen(path);
            }
            if (bytes.size == capacity) {
                capacity = std::min(capacity * 2, MaxGdtFileSize + 1);
                auto larger = std::make_unique_for_overwrite<char[]>(capacity);
                std::memcpy(larger.get(), bytes.data.get(), bytes.size);
                bytes.data = std::move(larger);
            }
            const std::size_t chunk = std::min(capacity - bytes.size, ProgressStep);
            const ssize_t got = ::read(fd, bytes.data.get() + bytes.size, chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ::close(fd);
                cannotOpen(path);
            }
            if (got == 0)
                break;
            bytes.size += static_cast<std::size_t>(got);
            if (progress && expected > ProgressStep)
                progress(share * double(std::min(bytes.size, expected)) / double(expected));
        }
        ::close(fd);
        return bytes;
    }

    // The lines of the file's text one after another, as views into it (nothing is copied):
    // CR LF, a lone CR and a lone LF each end a line, and a line end at the very end opens no
    // further line. Past the last line every line reads as empty. The cursor shows a line and
    // the line after it, as the settings scan compares one and applies the other.
    class LineCursor
    {
    public:
        explicit LineCursor(std::string_view text)
            : m_text(text)
        {
            m_current = take(m_currentPastEnd);
            m_next = take(m_nextPastEnd);
        }

        std::string_view current() const { return m_current; }
        std::string_view next() const { return m_next; }
        // The current line lies past the last line of the file.
        bool pastEnd() const { return m_currentPastEnd; }
        // The bytes taken so far.
        std::size_t position() const { return m_position; }

        void advance()
        {
            m_current = m_next;
            m_currentPastEnd = m_nextPastEnd;
            m_next = take(m_nextPastEnd);
        }
        // The current line, then the cursor on the line after it.
        std::string_view take()
        {
            const std::string_view line = m_current;
            advance();
            return line;
        }

    private:
        std::string_view take(bool& pastEnd)
        {
            pastEnd = m_position >= m_text.size();
            if (pastEnd)
                return {};
            const std::size_t start = m_position;
            std::size_t end = start;
            while (end < m_text.size() && m_text[end] != '\r' && m_text[end] != '\n')
                ++end;
            m_position = end;
            if (end < m_text.size()) {
                ++m_position;
                if (m_text[end] == '\r' && m_position < m_text.size() && m_text[m_position] == '\n')
                    ++m_position;
            }
            return m_text.substr(start, end - start);
        }

        std::string_view m_text;
        std::size_t m_position = 0;
        std::string_view m_current;
        std::string_view m_next;
        bool m_currentPastEnd = false;
        bool m_nextPastEnd = false;
    };

    // Decodes the texts of one file and keeps the file's own bytes of those that the writer
    // would not give back as they were.
    class FileTexts
    {
    public:
        explicit FileTexts(TextEncoding encoding)
            : m_decoder(encoding)
        {
            m_source.encoding = encoding;
        }

        // A text the document keeps (a setting's text, a name, a formula, a range).
        std::string text(std::string_view bytes)
        {
            std::string text = m_decoder.decode(bytes);
            if (!m_decoder.encodesBack(text, bytes))
                m_source.originalBytes[text] = std::string(bytes);
            return text;
        }
        // A value that is read as a number: only its text matters (for the message).
        std::string number(std::string_view bytes) { return m_decoder.decode(bytes); }

        TextSource takeSource() { return std::move(m_source); }

    private:
        TextDecoder m_decoder;
        TextSource m_source;
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

    // Applies the value line of a key; returns false when the line is no key. The keys are
    // ASCII, which both encodings keep as it is and give to no other bytes, so a line's bytes
    // are compared with them undecoded; only the value of a key is decoded.
    bool applyKey(Document& document, std::string_view key, std::string_view value,
        FileTexts& texts, std::int32_t& count)
    {
        if (key.empty() || key.front() != '[') // most lines of a long file: no key at all
            return false;
        for (const auto& [name, setting] : textKeys) {
            if (key == name) {
                document.setText(setting, texts.text(value));
                return true;
            }
        }
        for (const auto& [name, setting] : flagKeys) {
            if (key == name) {
                document.setFlag(setting, integerValue(texts.number(value)) != 0);
                return true;
            }
        }
        for (const auto& [name, setting] : colorKeys) {
            if (key == name) {
                document.setColor(setting, integerValue(texts.number(value)));
                return true;
            }
        }
        if (key == "[Count]") {
            count = integerValue(texts.number(value));
        } else if (key == "[Zoom]") {
            document.setView(document.CX, document.CY, integerValue(texts.number(value)));
        } else if (key == "[CX]") {
            document.setView(integerValue(texts.number(value)), document.CY, document.Zoom);
        } else if (key == "[CY]") {
            document.setView(document.CX, integerValue(texts.number(value)), document.Zoom);
        } else {
            return false;
        }
        return true;
    }

    // Whether the settings scan would match anything: it compares every line up to "[END]"
    // with the keys, so a file has a match exactly when some line is a key or "[END]".
    bool isKeyOrEnd(std::string_view line)
    {
        if (line.empty() || line.front() != '[')
            return false;
        const auto named = [line](const auto& table) {
            return std::any_of(std::begin(table), std::end(table),
                [line](const auto& key) { return line == key.first; });
        };
        return line == "[END]" || named(textKeys) || named(flagKeys) || named(colorKeys)
            || std::find(std::begin(otherKeys), std::end(otherKeys), line) != std::end(otherKeys);
    }

    bool hasDocumentLine(std::string_view text)
    {
        for (LineCursor lines(text); !lines.pastEnd(); lines.advance()) {
            if (isKeyOrEnd(lines.current()))
                return true;
        }
        return false;
    }

    // The settings scan; leaves the cursor on the first line of the entries and returns whether
    // some line was a key or "[END]". Every line is compared with the keys, a value line too, so
    // a value that equals a key is read as that key; "[END]" ends the scan wherever it stands.
    // Once the cursor is past the last line nothing can match any more, and the entries begin
    // there (every line of them reads as empty).
    bool scanSettings(Document& document, LineCursor& lines, FileTexts& texts, std::int32_t& count,
        const GdtLoadProgress& progress, std::size_t total)
    {
        bool found = false;
        std::size_t reportAt = ProgressStep;
        while (!lines.pastEnd()) {
            if (applyKey(document, lines.current(), lines.next(), texts, count)) {
                found = true;
            } else if (lines.current() == "[END]") {
                lines.advance();
                return true;
            }
            lines.advance();
            if (progress && lines.position() >= reportAt) {
                reportAt = lines.position() + ProgressStep;
                progress(
                    0.5 + 0.5 * double(lines.position()) / double(std::max<std::size_t>(total, 1)));
            }
        }
        return found;
    }

    // Reads the block at the cursor; throws on its first bad integer field.
    GraphEntry readBlock(LineCursor& lines, FileTexts& texts)
    {
        GraphEntry entry;
        entry.name = texts.text(lines.take());
        entry.visible = integerValue(texts.number(lines.take()));
        entry.kind = integerValue(texts.number(lines.take()));
        entry.color = integerValue(texts.number(lines.take()));
        entry.width = integerValue(texts.number(lines.take()));
        entry.formula1 = texts.text(lines.take());
        entry.formula2 = texts.text(lines.take());
        entry.divisions = integerValue(texts.number(lines.take()));
        entry.rangeFrom = texts.text(lines.take());
        entry.rangeTo = texts.text(lines.take());
        for (std::size_t reserved = 10; reserved < BlockLines; ++reserved)
            lines.advance();
        return entry;
    }

    // The file's encoding and its text after the byte order mark.
    std::pair<TextEncoding, std::string_view> encodingOf(std::string_view bytes)
    {
        if (bytes.starts_with(Utf8ByteOrderMark))
            return { TextEncoding::Utf8, bytes.substr(Utf8ByteOrderMark.size()) };
        return { TextEncoding::Cp932, bytes };
    }

} // namespace

std::vector<std::string> decodeGdtLines(std::string_view bytes)
{
    const auto [encoding, text] = encodingOf(bytes);
    TextDecoder decoder(encoding);
    LineCursor cursor(text);
    std::vector<std::string> lines;
    while (!cursor.pastEnd())
        lines.push_back(decoder.decode(cursor.take()));
    return lines;
}

GdtLoadResult loadGdt(Document& document, const std::string& path, const GdtLoadProgress& progress)
{
    bool completed = false;
    try {
        completed = completeInterruptedRewrite(path);
    } catch (const Error&) {
        cannotOpen(path); // the file may be torn: better not read than read half a document
    }
    const FileBytes bytes = readWholeFile(path, progress, 0.5);
    GdtLoadResult result = loadGdtBytes(document, bytes.view(), path, progress);
    if (completed) {
        const std::string note = formatMessage(InterruptedSaveCompletedMessage, path);
        result.warning = result.warning.empty() ? note : result.warning + "\n" + note;
    }
    return result;
}

GdtLoadResult loadGdtBytes(Document& document, std::string_view bytes, const std::string& path,
    const GdtLoadProgress& progress)
{
    const auto [encoding, text] = encodingOf(bytes);
    // Refused before anything changes, so that a later save cannot overwrite the file.
    if (!hasDocumentLine(text))
        throw Error(formatMessage(NotADocumentMessage, path));
    LineCursor lines(text);
    FileTexts texts(encoding);
    document.setFileName(path);
    document.setText(Setting::AInterval, "1");
    document.setText(Setting::BInterval, "1");
    document.setText(Setting::Animate, "40");
    document.clearEntries();

    GdtLoadResult result;
    std::int32_t count = 0;
    try {
        result.keyLineFound = scanSettings(document, lines, texts, count, progress, text.size());
        const std::int32_t toRead = std::min(count, static_cast<std::int32_t>(MaxEntries));
        for (std::int32_t k = 0; k < toRead; ++k)
            document.appendEntry(readBlock(lines, texts));
    } catch (...) {
        // A load stopped by a bad integer keeps what it read, with the bytes of its texts.
        document.setTextSource(texts.takeSource());
        throw;
    }
    document.setTextSource(texts.takeSource());
    if (count > MaxEntries) {
        result.entriesNotLoaded = count - MaxEntries;
        result.warning
            = formatMessage(EntriesNotLoadedMessage, std::to_string(result.entriesNotLoaded));
    }
    if (progress && text.size() > ProgressStep)
        progress(1.0);
    return result;
}

} // namespace velquor
