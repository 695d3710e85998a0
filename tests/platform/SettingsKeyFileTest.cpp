#include "platform/SettingsKeyFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using platform::decodeKeyFile;
using platform::encodeKeyFile;
using platform::SettingsType;
using platform::SettingsValue;

namespace {

std::string everyByte() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

std::vector<SettingsValue> sampleValues() {
    return {SettingsValue::string("contentpath", "/home/ann/Zorvane Content/"),
            SettingsValue::string("", ""),  // the default value of a key, empty
            SettingsValue::string(std::string("odd\0name %", 10), everyByte()),
            SettingsValue::dword("resizefactor1", 150), SettingsValue::dword("zero", 0),
            SettingsValue::dword("max", 0xFFFFFFFFu)};
}

std::string describe(const std::vector<SettingsValue>& values) {
    std::string text;
    for (const SettingsValue& value : values)
        text += value.name + '|' + (value.type == SettingsType::Dword ? 'd' : 's') + value.data + '\n';
    return text;
}

}  // namespace

TEST(SettingsKeyFile, EveryByteOfNamesAndDataSurvivesInPrintableLines) {
    const std::vector<SettingsValue> values = sampleValues();
    const std::string text = encodeKeyFile(values);
    for (const char c : text) ASSERT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << int(c);

    const auto decoded = decodeKeyFile(text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(describe(*decoded), describe(values));
    EXPECT_EQ(SettingsValue::dword("n", 0x11223344).data, std::string("\x44\x33\x22\x11", 4));
    EXPECT_EQ(text.substr(0, text.find('\n')), "brindlewick-registry-key 1");
    EXPECT_NE(text.find("\ndword resizefactor1 150\n"), std::string::npos);
    EXPECT_NE(text.find("\nstring contentpath /home/ann/Zorvane%20Content/\n"), std::string::npos);
}

TEST(SettingsKeyFile, RefusesAnythingThatBreaksTheFormat) {
    const std::string header = "brindlewick-registry-key 1\n";
    const char* const broken[] = {
        "",
        "brindlewick-registry-key 2\nend\n",          // unknown version
        "brindlewick-registry-key 1\n",               // cut before "end"
        "brindlewick-registry-key 1\nend\nextra\n",   // bytes after "end"
        "brindlewick-registry-key 1\nstring a b\n",   // cut after a value
        "brindlewick-registry-key 1\nstring a b",     // cut after a value, no line end
        "brindlewick-registry-key 1\nen",             // cut inside "end"
        "brindlewick-registry-key 1\rend\r",          // carriage returns alone end no line
        "brindlewick-registry-key 1\nend\r\r\n",      // one carriage return before a line feed at most
        "\xEF\xBB\xBF\xEF\xBB\xBF" "brindlewick-registry-key 1\nend\n",  // two byte-order marks
        "\xEF\xBB" "brindlewick-registry-key 1\nend\n",  // a byte-order mark cut short
        "brindlewick-registry-key 1\n\xEF\xBB\xBF" "end\n",  // a byte-order mark past the start
    };
    for (const char* text : broken) EXPECT_FALSE(decodeKeyFile(text).has_value()) << text;

    const char* const badLines[] = {
        "string a",            // two fields
        "string a b c",        // four fields
        "float a 1",           // unknown type
        "string a %4",         // escape cut short
        "string a %G0",        // not hex
        "string a %4a",        // hex must be upper case
        "string a \t",         // raw control byte
        "string a \xC3\xA9",   // raw byte above 0x7E
        "dword a -1",
        "dword a 4294967296",
        "dword a ",
        "dword a 12x",
        "dword a 99999999999999999999",
    };
    for (const char* line : badLines)
        EXPECT_FALSE(decodeKeyFile(header + line + "\nend\n").has_value()) << line;
    EXPECT_TRUE(decodeKeyFile(header + "dword a 4294967295\nend\n").has_value());
}

// What an editor makes of a key file (CR LF line ends, no line end after
// "end", a byte-order mark first) reads as the same values.
TEST(SettingsKeyFile, AHandEditedFileReadsAsTheSameValues) {
    const std::vector<SettingsValue> values = sampleValues();
    const std::string written = encodeKeyFile(values);
    auto withCrLf = [](const std::string& text) {
        std::string out;
        for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    auto withoutLastLineEnd = [](std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* form;
        std::string text;
    } forms[] = {
        {"CR LF", withCrLf(written)},
        {"no last line end", withoutLastLineEnd(written)},
        {"CR LF, no last line end", withoutLastLineEnd(withCrLf(written))},
        {"byte-order mark", bom + written},
        {"all three", bom + withoutLastLineEnd(withCrLf(written))},
        {"mixed line ends", withCrLf(written.substr(0, written.size() / 2)) + written.substr(written.size() / 2)},
    };
    for (const auto& f : forms) {
        const auto decoded = decodeKeyFile(f.text);
        ASSERT_TRUE(decoded.has_value()) << f.form;
        EXPECT_EQ(describe(*decoded), describe(values)) << f.form;
        EXPECT_EQ(encodeKeyFile(*decoded), written) << f.form;  // written back in the plain form
    }
}

// A damaged or mis-edited file costs only its own bad lines: every value
// line that parses is used, every other line is kept as it stood, and a
// last line that a cut may have shortened is not trusted.
TEST(SettingsKeyFile, ADamagedFileIsReadAsFarAsItParses) {
    const std::string header = "brindlewick-registry-key 1\n";
    const SettingsValue a = SettingsValue::dword("a", 1), b = SettingsValue::string("b", "x");
    const struct {
        const char* form;
        std::string text;
        std::vector<SettingsValue> values;
        std::vector<std::string> stray;
        bool cutShort;
    } cases[] = {
        {"a junk line among values", header + "dword a 1\nhello there\nstring b x\nend\n", {a, b}, {"hello there"}, false},
        {"cut after a whole line", header + "dword a 1\nstring b x\n", {a, b}, {}, true},
        {"cut inside a value", header + "dword a 1\ndword b 15", {a}, {"dword b 15"}, true},
        {"cut inside \"end\"", header + "dword a 1\nen", {a}, {"en"}, true},
        {"another version's header", "brindlewick-registry-key 2\r\ndword a 1\r\nend\r\n", {a},
         {"brindlewick-registry-key 2"}, false},
        {"no header", "dword a 1\nend", {a}, {}, false},
        {"lines after \"end\"", header + "end\ndword c 3\nend\n", {}, {"dword c 3", "end"}, false},
        {"empty", "", {}, {}, false},
        {"a byte-order mark alone", "\xEF\xBB\xBF", {}, {}, false},
        {"blank lines alone", "\n\r\n", {}, {}, false},
    };
    for (const auto& c : cases) {
        const platform::DecodedKeyFile file = platform::decodeKeyFileLines(c.text);
        EXPECT_EQ(describe(file.values), describe(c.values)) << c.form;
        EXPECT_EQ(file.strayLines, c.stray) << c.form;
        EXPECT_EQ(file.cutShort, c.cutShort) << c.form;
        EXPECT_FALSE(file.wellFormed) << c.form;
        EXPECT_FALSE(decodeKeyFile(c.text).has_value()) << c.form;
    }
}

TEST(SettingsKeyFile, RandomDamageLosesOnlyTheLinesItTouched) {
    const std::string valid = encodeKeyFile(sampleValues());
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text[at] = static_cast<char>(random()); break;
                case 1: text.erase(at, 1 + random() % 8); break;
                default: text.resize(at); break;
            }
        }
        const platform::DecodedKeyFile file = platform::decodeKeyFileLines(text);
        // What a damaged file reads as is stored again unchanged, and each
        // line it passed over is one of its lines.
        const auto again = decodeKeyFile(encodeKeyFile(file.values));
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(describe(*again), describe(file.values));
        for (const std::string& line : file.strayLines) EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST(SettingsKeyFile, ValueNamesIgnoreAsciiCaseOnly) {
    EXPECT_TRUE(platform::sameValueName("NoSilentOpt", "nosilentopt"));
    EXPECT_TRUE(platform::sameValueName("", ""));
    EXPECT_FALSE(platform::sameValueName("presetpath1", "presetpath10"));
    EXPECT_FALSE(platform::sameValueName("\xC4", "\xE4"));  // not ASCII letters
    EXPECT_FALSE(platform::sameValueName("a_", "A-"));
}
