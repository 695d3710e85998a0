#include "platform/SettingsKeyFile.h"

#include <algorithm>
#include <charconv>

namespace platform {
namespace {

constexpr std::string_view kHeader = "brindlewick-registry-key 1";
constexpr std::string_view kEnd = "end";
// What an editor may put before the first line of a UTF-8 text.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kStringType = "string";
constexpr std::string_view kDwordType = "dword";
constexpr char kHexDigits[] = "0123456789ABCDEF";

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool standsForItself(unsigned char c) { return c >= 0x21 && c <= 0x7E && c != '%'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view field) {
    std::string bytes;
    for (size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c != '%') {
            if (!standsForItself(c)) return std::nullopt;
            bytes += field[i];
            continue;
        }
        if (field.size() - i < 3) return std::nullopt;
        const int high = hexValue(field[i + 1]);
        const int low = hexValue(field[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

std::optional<uint32_t> parseDword(std::string_view field) {
    // Digits only: from_chars alone would accept a leading minus sign.
    if (field.empty() || field.size() > 10) return std::nullopt;
    for (const char c : field)
        if (c < '0' || c > '9') return std::nullopt;
    uint64_t number = 0;
    std::from_chars(field.data(), field.data() + field.size(), number);
    if (number > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(number);
}

// Splits a value line into exactly three fields at single blanks.
bool splitFields(std::string_view line, std::string_view fields[3]) {
    for (int i = 0; i < 2; ++i) {
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) return false;
        fields[i] = line.substr(0, blank);
        line.remove_prefix(blank + 1);
    }
    if (line.find(' ') != std::string_view::npos) return false;
    fields[2] = line;
    return true;
}

std::optional<SettingsValue> decodeLine(std::string_view line) {
    std::string_view fields[3];
    if (!splitFields(line, fields)) return std::nullopt;
    std::optional<std::string> name = unescape(fields[1]);
    if (!name) return std::nullopt;
    if (fields[0] == kDwordType) {
        const std::optional<uint32_t> number = parseDword(fields[2]);
        if (!number) return std::nullopt;
        return SettingsValue::dword(*name, *number);
    }
    if (fields[0] != kStringType) return std::nullopt;
    std::optional<std::string> data = unescape(fields[2]);
    if (!data) return std::nullopt;
    return SettingsValue::string(*name, *data);
}

// The next line without its line end ("\n" or "\r\n"); the last line may
// have none.  Nothing when no text is left.
std::optional<std::string_view> takeLine(std::string_view& text) {
    if (text.empty()) return std::nullopt;
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

void appendPercentEscaped(std::string& out, std::string_view bytes, bool (*keeps)(unsigned char)) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (keeps(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        }
    }
}

SettingsValue SettingsValue::string(std::string_view name, std::string_view bytes) {
    return {std::string(name), SettingsType::String, std::string(bytes)};
}

SettingsValue SettingsValue::dword(std::string_view name, uint32_t number) {
    std::string data(4, '\0');
    for (size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return {std::string(name), SettingsType::Dword, data};
}

uint32_t SettingsValue::number() const {
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && i < data.size(); ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return value;
}

bool sameValueName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

std::string encodeKeyFile(const std::vector<SettingsValue>& values) {
    std::string text(kHeader);
    text += '\n';
    for (const SettingsValue& value : values) {
        const bool isDword = value.type == SettingsType::Dword;
        text += isDword ? kDwordType : kStringType;
        text += ' ';
        appendPercentEscaped(text, value.name, standsForItself);
        text += ' ';
        if (isDword)
            text += std::to_string(value.number());
        else
            appendPercentEscaped(text, value.data, standsForItself);
        text += '\n';
    }
    text += kEnd;
    text += '\n';
    return text;
}

DecodedKeyFile decodeKeyFileLines(std::string_view text) {
    DecodedKeyFile file;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (text.empty()) return file;
    const bool lastLineEnded = text.ends_with('\n');
    bool first = true, header = false, ended = false, blank = false;
    std::string_view lastLine;
    bool lastWasValue = false;
    for (std::optional<std::string_view> line; (line = takeLine(text)); first = false) {
        lastLine = *line;
        lastWasValue = false;
        if (first && *line == kHeader) {
            header = true;
        } else if (line->empty()) {
            blank = true;
        } else if (!ended && *line == kEnd) {
            ended = true;
        } else if (std::optional<SettingsValue> value = ended ? std::nullopt : decodeLine(*line)) {
            file.values.push_back(std::move(*value));
            lastWasValue = true;
        } else {
            file.strayLines.emplace_back(*line);
        }
    }
    file.cutShort = !ended && (header || !file.values.empty() || !file.strayLines.empty());
    // Cut inside its last line, perhaps: "dword resizefactor1 15" for 150.
    if (file.cutShort && !lastLineEnded && lastWasValue) {
        file.values.pop_back();
        file.strayLines.emplace_back(lastLine);
    }
    file.wellFormed = header && ended && !blank && file.strayLines.empty();
    return file;
}

std::optional<std::vector<SettingsValue>> decodeKeyFile(std::string_view text) {
    DecodedKeyFile file = decodeKeyFileLines(text);
    if (!file.wellFormed) return std::nullopt;
    return std::move(file.values);
}

}  // namespace platform
