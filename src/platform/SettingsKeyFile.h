#pragma once
// The on-disk form of one key of the settings store.
//
// A key file is text, one value per line, so that a person can read and mend
// it:
//
//     brindlewick-registry-key 1
//     string contentpath /home/ann/Zorvane%20Content/
//     dword resizefactor1 150
//     end
//
// The first line names the format and its version; the last line is "end",
// so that a file cut short is recognised.  Every line is written ending in a
// line feed; a file edited by hand reads the same with its lines ending in
// CR LF, without the line end after "end", or with a UTF-8 byte-order mark
// before the first line.
// A value line is its type ("string" or "dword"), its name and its data,
// separated by single blanks.  Names and string data are escaped so that any
// byte survives: the printable ASCII characters other than "%" stand for
// themselves; every other byte (blank, control bytes, bytes above 0x7E and
// "%" itself) is written as "%" and two upper-case hex digits.  An empty name
// or string is an empty field.  A dword is written in decimal, 0 to
// 4294967295.
//
// A damaged or mis-edited file is read as far as it parses, so that one bad
// line costs no other value: every value line that parses is used, and every
// other line (a first line that is not the header, a line that breaks the
// rules above, a line after "end") is a stray line, kept as it stood for the
// store to set aside.  A file without "end" was cut short: its last line,
// when it has no line end either, may have been cut inside and is a stray
// line even when it parses.  Blank lines hold nothing and are passed over.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class SettingsType { String, Dword };

struct SettingsValue {
    std::string name;
    SettingsType type = SettingsType::String;
    // The value's bytes as the registry hands them out: a string's bytes with
    // no terminating zero, a dword's four bytes in little-endian order.
    std::string data;

    static SettingsValue string(std::string_view name, std::string_view bytes);
    static SettingsValue dword(std::string_view name, uint32_t number);

    // The data's first four bytes as a little-endian number; missing bytes
    // count as 0.
    uint32_t number() const;
};

// Value names are compared as on Windows: ASCII letters ignore case.
bool sameValueName(std::string_view a, std::string_view b);

// Appends the bytes, writing each byte that keeps refuses as "%" and two
// upper-case hex digits: the escape form of the key files and of the store's
// file names.
void appendPercentEscaped(std::string& out, std::string_view bytes, bool (*keeps)(unsigned char));

std::string encodeKeyFile(const std::vector<SettingsValue>& values);

// A key file as read line by line.
struct DecodedKeyFile {
    std::vector<SettingsValue> values;    // in file order
    std::vector<std::string> strayLines;  // without their line ends, in file order
    bool cutShort = false;                // there are lines but no "end"
    bool wellFormed = false;              // exactly the form above, nothing passed over
};

DecodedKeyFile decodeKeyFileLines(std::string_view text);

// The values of a well-formed key file, in file order; nothing otherwise.
std::optional<std::vector<SettingsValue>> decodeKeyFile(std::string_view text);

}  // namespace platform
