// The message table as the host reads it: the text that the module registers under
// "msgTable", which names the script interface's methods and numbers them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace demo {

// One line of the message table: the method's number, whether it is a global handler (no
// "me") and how many arguments it declares.
struct MessageEntry {
    int32_t number;
    bool global;
    int arguments;
};

// Reads the message table text that the module registers under "msgTable".
std::map<std::string, MessageEntry> parseMessageTable(const std::string& text);

}  // namespace demo
