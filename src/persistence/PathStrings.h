#pragma once
// Small operations on path texts.  Paths written here use "/" as their
// separator; every operation that splits or tests a path also accepts "\",
// since stored presets and settings may hold Windows paths.  All of them keep
// no state and may be called on any thread but the audio thread.

#include <string>
#include <string_view>

// True for "/" and "\".
bool isPathSeparator(char c);

// Appends "/" unless the path is empty or already ends in "/" or "\"; true
// when it appended.
bool appendBackslash(std::string& path);

// True when the text ends with the suffix, byte for byte; an empty suffix
// always matches.
bool hasSuffix(std::string_view text, std::string_view suffix);

// The text after the last separator; the whole path when it has none, empty
// when it ends in one.
std::string getFileName(std::string_view path);

// getFileName without its extension: the text before the file name's last
// "."; the whole file name when it has none.
std::string getBaseName(std::string_view path);

// The text between the last two separators: the name of the folder that holds
// a file, or the folder's own name for a path ending in a separator.  The
// whole path when it has fewer than two separators.
std::string getFolderName(std::string_view path);

// Cuts the path after its last separator, which stays.  A path whose only
// separator is its first character, or that has none, becomes empty.
void stripFileName(std::string& path);

// Cuts the file name before its first "." and appends "." (unless the
// extension begins with one) and the extension.
void replaceExtension(std::string& path, std::string_view extension);

// Whether the file name has an extension, walking back from its end: while
// the extension has characters left other than its first, each must equal
// the name's character at the same distance from the end; a separator before
// a "." answers false; a "." at index 2 or beyond answers true.  The
// extension's first character is never compared (it is usually the dot).
// With no extension (null) only the "." is looked for.
bool hasExtension(std::string_view name, const char* extension);

// The text with 'A' to 'Z' turned into 'a' to 'z'; other bytes unchanged.
std::string toLowerCopy(std::string_view text);
// The text with 'a' to 'z' turned into 'A' to 'Z'; other bytes unchanged.
std::string toUpperCopy(std::string_view text);
