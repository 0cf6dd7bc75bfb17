// Conversion between the Mac OS Roman texts some records store and the ANSI texts of the interface.
#pragma once

#include <cstdint>
#include <string>

// Copy a zero-terminated text converting each byte through the pair table; the destination holds
// the source's length plus the terminator. A null source does nothing.
void MacRomanToAnsi(char* destination, const char* source);
void AnsiToMacRoman(char* destination, const char* source);

uint8_t MacRomanToAnsiByte(uint8_t mac);
uint8_t AnsiToMacRomanByte(uint8_t ansi);

std::string MacRomanToAnsi(const std::string& text);
std::string AnsiToMacRoman(const std::string& text);
