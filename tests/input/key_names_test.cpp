#include "input/key_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace qora {
namespace {

// The names the Map dialog must show, written out independently of the table.
const std::map<int, std::string>& expectedNames() {
    static const std::map<int, std::string> names = {
        {0x01, "ESC"},      {0x02, "1"},         {0x03, "2"},         {0x04, "3"},
        {0x05, "4"},        {0x06, "5"},         {0x07, "6"},         {0x08, "7"},
        {0x09, "8"},        {0x0A, "9"},         {0x0B, "0"},         {0x0C, "-"},
        {0x0D, "="},        {0x0E, "BACKSPACE"}, {0x0F, "TAB"},       {0x10, "Q"},
        {0x11, "W"},        {0x12, "E"},         {0x13, "R"},         {0x14, "T"},
        {0x15, "Y"},        {0x16, "U"},         {0x17, "I"},         {0x18, "O"},
        {0x19, "P"},        {0x1A, "["},         {0x1B, "]"},         {0x1C, "L ENTER"},
        {0x1D, "L CTRL"},   {0x1E, "A"},         {0x1F, "S"},         {0x20, "D"},
        {0x21, "F"},        {0x22, "G"},         {0x23, "H"},         {0x24, "J"},
        {0x25, "K"},        {0x26, "L"},         {0x27, ";"},         {0x28, "'"},
        {0x29, "\x60"},     {0x2A, "L SHIFT"},   {0x2B, "\x5C"},      {0x2C, "Z"},
        {0x2D, "X"},        {0x2E, "C"},         {0x2F, "V"},         {0x30, "B"},
        {0x31, "N"},        {0x32, "M"},         {0x33, ","},         {0x34, "."},
        {0x35, "/"},        {0x36, "R SHIFT"},   {0x37, "NUM *"},     {0x38, "L ALT"},
        {0x39, "SPACE"},    {0x3A, "CAPS"},      {0x3B, "F1"},        {0x3C, "F2"},
        {0x3D, "F3"},       {0x3E, "F4"},        {0x3F, "F5"},        {0x40, "F6"},
        {0x41, "F7"},       {0x42, "F8"},        {0x43, "F9"},        {0x44, "F10"},
        {0x45, "NUM LOCK"}, {0x46, "SCROLL"},    {0x47, "NUM 7"},     {0x48, "NUM 8"},
        {0x49, "NUM 9"},    {0x4A, "NUM -"},     {0x4B, "NUM 4"},     {0x4C, "NUM 5"},
        {0x4D, "NUM 6"},    {0x4E, "NUM +"},     {0x4F, "NUM 1"},     {0x50, "NUM 2"},
        {0x51, "NUM 3"},    {0x52, "NUM 0"},     {0x53, "NUM ."},     {0x57, "F11"},
        {0x58, "F12"},      {0x9C, "R ENTER"},   {0x9D, "R CTRL"},    {0xB5, "NUM /"},
        {0xB7, "PRTSC"},    {0xB8, "R ALT"},     {0xC5, "PAUSE"},     {0xC7, "HOME"},
        {0xC8, "UP"},       {0xC9, "PAGE UP"},   {0xCB, "LEFT"},      {0xCD, "RIGHT"},
        {0xCF, "END"},      {0xD0, "DOWN"},      {0xD1, "PAGE DOWN"}, {0xD2, "INSERT"},
        {0xD3, "DELETE"},   {0xDB, "L WIN"},     {0xDC, "R WIN"},     {0xDD, "MENU"},
    };
    return names;
}

TEST(KeyNames, EveryScanCodeHasExactlyItsListedName) {
    ASSERT_EQ(expectedNames().size(), 104u);
    for (int code = 0; code < 256; ++code) {
        const auto found = expectedNames().find(code);
        const std::string expected = found == expectedNames().end() ? "" : found->second;
        EXPECT_EQ(keyName(static_cast<std::uint8_t>(code)), expected) << "scan code " << code;
    }
}

TEST(KeyNames, UnnamedCodesAreEmpty) {
    EXPECT_STREQ(keyName(0x00), "");
    EXPECT_STREQ(keyName(0x54), "");
    EXPECT_STREQ(keyName(0x56), "");
    EXPECT_STREQ(keyName(0xE0), "");
    for (int code = 0xDE; code <= 0xFF; ++code) {
        EXPECT_STREQ(keyName(static_cast<std::uint8_t>(code)), "") << "scan code " << code;
    }
}

// The Map dialog copies names out of 16-byte slots: each must end inside its own slot, and
// the name a pointer gives must be the slot's own text.
TEST(KeyNames, EveryNameEndsInsideItsSixteenByteSlot) {
    const KeyNameTable& table = keyNameTable();
    ASSERT_EQ(table.size(), 256u);
    for (int code = 0; code < 256; ++code) {
        const KeyNameSlot& slot = table[static_cast<std::size_t>(code)];
        ASSERT_EQ(slot.size(), 16u);
        EXPECT_NE(std::memchr(slot.data(), '\0', slot.size()), nullptr) << "scan code " << code;
        EXPECT_EQ(keyName(static_cast<std::uint8_t>(code)), slot.data()) << "scan code " << code;
    }
}

} // namespace
} // namespace qora
