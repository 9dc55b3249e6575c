#pragma once
// Reads back a line of qora-packets: "#3 xbox360 buttons: A LB | LT 255 RT 0 | LX 0 ... |
// motion X 512 Y 512 Z 400" or "#3 ps3 buttons: ... | LX 128 ... | pressure L2 255 |
// accel X 512 ... gyro 5", with an optional "| not a ... report (...)" at the end. Any
// other shape is a broken invariant.

#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace qora::fuzzing {

struct DecodedLine {
    long long index = -1;
    std::string console;
    std::vector<std::string> buttons; // as printed; "-" reads as none
    // "LT", "LX", "motion X", "pressure L2", "accel Z", "gyro" ... to their values
    std::map<std::string, long long> values;
    bool headerProblem = false;
};

inline std::vector<std::string> splitSections(const std::string& line) {
    std::vector<std::string> sections;
    std::size_t start = 0;
    for (std::size_t bar = line.find(" | "); bar != std::string::npos;
         bar = line.find(" | ", start)) {
        sections.push_back(line.substr(start, bar - start));
        start = bar + 3;
    }
    sections.push_back(line.substr(start));
    return sections;
}

inline std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> list;
    for (std::string word; in >> word;) {
        list.push_back(word);
    }
    return list;
}

inline long long numberIn(const std::string& word, const std::string& line) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(word, &used);
    } catch (...) {
        used = 0;
    }
    if (used == 0 || used != word.size()) {
        fail("'" + word + "' is not a number in: " + line);
    }
    return value;
}

// "LT 0 RT 255", "motion X 1 Y 2 Z 3", "pressure -", "accel X 1 Y 2 Z 3 gyro 5".
inline void readValues(const std::string& section, const std::string& line, DecodedLine& decoded) {
    std::vector<std::string> list = words(section);
    std::string prefix;
    if (!list.empty() && (list[0] == "motion" || list[0] == "accel" || list[0] == "pressure")) {
        prefix = list[0] + " ";
        list.erase(list.begin());
    }
    if (prefix == "pressure " && list == std::vector<std::string>{"-"}) {
        return;
    }
    if (list.empty() || list.size() % 2 != 0) {
        fail("a section of name and value pairs is malformed: " + line);
    }
    for (std::size_t i = 0; i < list.size(); i += 2) {
        // The gyro closes the accelerometer section under its own name.
        const std::string name = list[i] == "gyro" ? "gyro" : prefix + list[i];
        if (!decoded.values.emplace(name, numberIn(list[i + 1], line)).second) {
            fail("'" + name + "' appears twice in: " + line);
        }
    }
}

inline DecodedLine parseDecodedLine(const std::string& line) {
    require(line.find('\n') == std::string::npos, "a decoded packet is one line");
    std::vector<std::string> sections = splitSections(line);
    DecodedLine decoded;
    if (sections.back().rfind("not ", 0) == 0) {
        decoded.headerProblem = true;
        sections.pop_back();
    }
    if (sections.size() != 4) {
        fail("a decoded packet has four sections: " + line);
    }
    const std::vector<std::string> head = words(sections[0]);
    if (head.size() < 4 || head[0].size() < 2 || head[0][0] != '#' || head[2] != "buttons:") {
        fail("a decoded packet starts with its index, console and buttons: " + line);
    }
    decoded.index = numberIn(head[0].substr(1), line);
    decoded.console = head[1];
    decoded.buttons.assign(head.begin() + 3, head.end());
    if (decoded.buttons == std::vector<std::string>{"-"}) {
        decoded.buttons.clear();
    } else if (std::find(decoded.buttons.begin(), decoded.buttons.end(), "-") !=
               decoded.buttons.end()) {
        fail("'-' stands alone for no button: " + line);
    }
    for (std::size_t i = 1; i < sections.size(); ++i) {
        readValues(sections[i], line, decoded);
    }
    return decoded;
}

} // namespace qora::fuzzing
