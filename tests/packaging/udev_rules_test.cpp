// The udev rule shipped for Linux covers the adapter the program looks for, in both of its modes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "adapter/adapter_ids.h"

namespace {

std::string LowerHex(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::vector<std::string> RuleLines() {
    std::ifstream file(std::string(INSTALLER_SOURCE_DIR) + "/packaging/70-trelvor-ice-adapter.rules");
    std::vector<std::string> rules;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#') rules.push_back(line);
    return rules;
}

bool Contains(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

TEST(UdevRules, GiveTheSeatsUserTheAdaptersHidrawNodeInBothModes) {
    const std::vector<std::string> rules = RuleLines();
    ASSERT_FALSE(rules.empty());
    for (const std::uint16_t product : {kApplicationProductId, kBootLoaderProductId}) {
        SCOPED_TRACE(LowerHex(product));
        int matching = 0;
        for (const std::string& rule : rules) {
            if (!Contains(rule, "ATTRS{idProduct}==\"" + LowerHex(product) + "\"")) continue;
            ++matching;
            EXPECT_TRUE(Contains(rule, "SUBSYSTEM==\"hidraw\"")) << rule;
            EXPECT_TRUE(Contains(rule, "ATTRS{idVendor}==\"" + LowerHex(kDefaultAdapterVendorId) + "\""))
                << rule;
            EXPECT_TRUE(Contains(rule, "TAG+=\"uaccess\"")) << rule;
        }
        EXPECT_EQ(matching, 1);
    }
}

}  // namespace
