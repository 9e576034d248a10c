#include "demo/message_table.h"

#include <sstream>

namespace demo {

std::map<std::string, MessageEntry> parseMessageTable(const std::string& text) {
    std::map<std::string, MessageEntry> entries;
    std::istringstream lines(text);
    std::string line;
    int32_t number = 0;
    bool first = true;
    while (std::getline(lines, line)) {
        if (first) {  // "xtra <name>" declares the module and is no method
            first = false;
            continue;
        }
        if (line.empty() || line.rfind("--", 0) == 0) {
            continue;
        }
        MessageEntry entry{number++, false, 0};
        std::string declaration = line.substr(0, line.find(" -- "));
        if (declaration.rfind("* ", 0) == 0) {
            entry.global = true;
            declaration.erase(0, 2);
        }
        const std::string name = declaration.substr(0, declaration.find(' '));
        for (size_t at = declaration.find("any "); at != std::string::npos;
             at = declaration.find("any ", at + 4)) {
            entry.arguments += 1;
        }
        entries[name] = entry;
    }
    return entries;
}

}  // namespace demo
