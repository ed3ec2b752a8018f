#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/writer.h"
#include "unit/scratch_directory.h"

namespace {

std::string readSourceFile(const std::string& relativePath) {
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct KeyDefault {
    std::string key;
    std::string value;
};

// Every "key = value" line of the file the plug-in writes on its first start.
std::vector<KeyDefault> writtenDefaults() {
    ScratchDirectory dir;
    ensureConfigurationFile();
    std::istringstream file(readFileBytes(configurationFileName));
    const std::regex keyLine(R"(^([A-Za-z]+\.[A-Za-z]+) = (\S*))");
    std::vector<KeyDefault> defaults;
    std::smatch match;
    for (std::string line; std::getline(file, line);) {
        if (std::regex_search(line, match, keyLine)) {
            defaults.push_back({match[1], match[2]});
        }
    }
    return defaults;
}

bool hasLine(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    for (std::string candidate; std::getline(lines, candidate);) {
        if (!candidate.empty() && candidate.back() == '\r') {
            candidate.pop_back();
        }
        if (candidate == line) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The player reads the settings in README.txt (in the release) and README.md; both must show each
// key the plug-in writes with the default it writes, or they tell the player something false.
TEST(PlayerDocs, BothReadmesShowEverySettingWithTheWrittenDefault) {
    const std::vector<KeyDefault> defaults = writtenDefaults();
    ASSERT_EQ(defaults.size(), 30u);
    const std::string readmeTxt = readSourceFile("release/README.txt.in");
    const std::string readmeMd = readSourceFile("README.md");
    ASSERT_FALSE(readmeTxt.empty());
    ASSERT_FALSE(readmeMd.empty());
    for (const KeyDefault& setting : defaults) {
        EXPECT_TRUE(hasLine(readmeTxt, "  " + setting.key + " = " + setting.value))
            << "release/README.txt.in lacks \"" << setting.key << " = " << setting.value << "\"";
        EXPECT_NE(readmeMd.find("| `" + setting.key + "` | " + setting.value + " |"), std::string::npos)
            << "README.md's settings table lacks " << setting.key << " with " << setting.value;
    }
}

TEST(PlayerDocs, ReadmeTxtIsPlainAsciiForAnyEditor) {
    const std::string readmeTxt = readSourceFile("release/README.txt.in");
    for (size_t i = 0; i < readmeTxt.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(readmeTxt[i]);
        ASSERT_TRUE(c == '\n' || (c >= 32 && c < 127)) << "byte " << i << " of release/README.txt.in is " << int(c);
    }
}
