#include "input/key_names.h"

#include <algorithm>

namespace qora {

namespace {

struct NamedKey {
    std::uint8_t scanCode;
    const char* name;
};

// "L ENTER" is the main Enter key, "R ENTER" the keypad's; the other L/R pairs are the
// DirectInput left and right keys.
constexpr NamedKey kNamedKeys[] = {
    {0x01, "ESC"},     {0x02, "1"},       {0x03, "2"},       {0x04, "3"},         {0x05, "4"},
    {0x06, "5"},       {0x07, "6"},       {0x08, "7"},       {0x09, "8"},         {0x0A, "9"},
    {0x0B, "0"},       {0x0C, "-"},       {0x0D, "="},       {0x0E, "BACKSPACE"}, {0x0F, "TAB"},
    {0x10, "Q"},       {0x11, "W"},       {0x12, "E"},       {0x13, "R"},         {0x14, "T"},
    {0x15, "Y"},       {0x16, "U"},       {0x17, "I"},       {0x18, "O"},         {0x19, "P"},
    {0x1A, "["},       {0x1B, "]"},       {0x1C, "L ENTER"}, {0x1D, "L CTRL"},    {0x1E, "A"},
    {0x1F, "S"},       {0x20, "D"},       {0x21, "F"},       {0x22, "G"},         {0x23, "H"},
    {0x24, "J"},       {0x25, "K"},       {0x26, "L"},       {0x27, ";"},         {0x28, "'"},
    {0x29, "`"},       {0x2A, "L SHIFT"}, {0x2B, "\\"},      {0x2C, "Z"},         {0x2D, "X"},
    {0x2E, "C"},       {0x2F, "V"},       {0x30, "B"},       {0x31, "N"},         {0x32, "M"},
    {0x33, ","},       {0x34, "."},       {0x35, "/"},       {0x36, "R SHIFT"},   {0x37, "NUM *"},
    {0x38, "L ALT"},   {0x39, "SPACE"},   {0x3A, "CAPS"},    {0x3B, "F1"},        {0x3C, "F2"},
    {0x3D, "F3"},      {0x3E, "F4"},      {0x3F, "F5"},      {0x40, "F6"},        {0x41, "F7"},
    {0x42, "F8"},      {0x43, "F9"},      {0x44, "F10"},     {0x45, "NUM LOCK"},  {0x46, "SCROLL"},
    {0x47, "NUM 7"},   {0x48, "NUM 8"},   {0x49, "NUM 9"},   {0x4A, "NUM -"},     {0x4B, "NUM 4"},
    {0x4C, "NUM 5"},   {0x4D, "NUM 6"},   {0x4E, "NUM +"},   {0x4F, "NUM 1"},     {0x50, "NUM 2"},
    {0x51, "NUM 3"},   {0x52, "NUM 0"},   {0x53, "NUM ."},   {0x57, "F11"},       {0x58, "F12"},
    {0x9C, "R ENTER"}, {0x9D, "R CTRL"},  {0xB5, "NUM /"},   {0xB7, "PRTSC"},     {0xB8, "R ALT"},
    {0xC5, "PAUSE"},   {0xC7, "HOME"},    {0xC8, "UP"},      {0xC9, "PAGE UP"},   {0xCB, "LEFT"},
    {0xCD, "RIGHT"},   {0xCF, "END"},     {0xD0, "DOWN"},    {0xD1, "PAGE DOWN"}, {0xD2, "INSERT"},
    {0xD3, "DELETE"},  {0xDB, "L WIN"},   {0xDC, "R WIN"},   {0xDD, "MENU"},
};

constexpr std::size_t textLength(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Every name fits its slot with the NUL, and no code is named twice.
constexpr bool namesAreWellFormed() {
    std::array<bool, kKeyNameCount> seen{};
    for (const NamedKey& key : kNamedKeys) {
        if (textLength(key.name) >= kKeyNameSlotSize || seen[key.scanCode]) {
            return false;
        }
        seen[key.scanCode] = true;
    }
    return true;
}

static_assert(std::size(kNamedKeys) == 104, "104 scan codes have a name");
static_assert(namesAreWellFormed(), "names fit 16-byte slots and are unique");

constexpr KeyNameTable buildKeyNameTable() {
    KeyNameTable table{};
    for (const NamedKey& key : kNamedKeys) {
        KeyNameSlot& slot = table[key.scanCode];
        for (std::size_t i = 0; key.name[i] != '\0'; ++i) {
            slot[i] = key.name[i];
        }
    }
    return table;
}

constexpr KeyNameTable kKeyNameTable = buildKeyNameTable();

} // namespace

const KeyNameTable& keyNameTable() {
    return kKeyNameTable;
}

const char* keyName(std::uint8_t scanCode) {
    return kKeyNameTable[scanCode].data();
}

std::uint8_t scanCodeNamed(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    for (std::size_t code = 1; code < kKeyNameCount; ++code) {
        const KeyNameSlot& slot = kKeyNameTable[code];
        const auto length =
            static_cast<std::size_t>(std::find(slot.begin(), slot.end(), '\0') - slot.begin());
        if (name == std::string_view(slot.data(), length)) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return 0;
}

} // namespace qora
