// Conversions between the module's UTF-16 texts and the byte forms of the files it writes:
// Latin-1 (the CSV file's historical form), UTF-8 and Windows-1252 (the settings file).
#pragma once

#include <string>
#include <string_view>

// The halves of a surrogate pair: a text cut between them holds no character.
inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True when every code unit fits in one Latin-1 byte (U+0000 to U+00FF).
bool FitsLatin1(std::u16string_view text);

// Appends one byte per code unit: its low eight bits. Exact for text that FitsLatin1.
void AppendLatin1(std::string& out, std::u16string_view text);

// Appends the UTF-8 form. A surrogate pair becomes one four-byte sequence; a lone surrogate,
// which no UTF-8 text can hold, becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);
std::string ToUtf8(std::u16string_view text);

// Strict UTF-8 decoding (no overlong forms, no surrogates, nothing above U+10FFFF).
// Returns false, leaving `out` unspecified, when the bytes are not valid UTF-8.
bool DecodeUtf8(std::string_view bytes, std::u16string& out);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence: the only
// case in which bytes that could also be Windows-1252 are better read as UTF-8.
bool IsMultiByteUtf8(std::string_view bytes);

// Windows-1252, the code page of the settings file's texts. A character the code page lacks
// becomes one "?" (a surrogate pair counts as one character).
std::string ToWindows1252(std::u16string_view text);
std::u16string FromWindows1252(std::string_view bytes);
