#pragma once

#include <string>

// Conversions between byte strings and hex text: two upper-case digits per byte, high nibble
// first, no separators. Byte strings may hold any byte, 0 included. Digits are 0-9, A-F and
// a-f only; blanks, signs and prefixes are not digits. The functions keep no state.

// Value 0..255 of a two-digit pair; 0 for empty text; -1 for a single character, text longer
// than two characters, or a non-digit.
int HexPairToInt(const std::string& text);

// The byte of a pair; one character is read as if it had a leading "0". Gives '#' (0x23) for
// empty text, text longer than two characters, or a non-digit, so '#' is both an error value
// and the regular value of "23".
char HexToChar(const std::string& text);

// One byte per pair, an invalid pair giving '#'. Empty text gives empty bytes, a single
// character is converted as HexToChar does, any other odd length gives "#".
std::string HexToStr(const std::string& hex);

std::string ByteToHex(unsigned char byte);
std::string StrToHex(const std::string& bytes);

// Hex text of the first count bytes at data; empty when count <= 0 or data is null.
std::string BufToHex(const void* data, int count);
