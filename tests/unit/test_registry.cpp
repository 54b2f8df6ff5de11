// The settings key on Windows: the registry under HKEY_CURRENT_USER\Software\Nimbula (built for
// Windows only; tests/CMakeLists.txt leaves it out elsewhere). A group of its own, removed after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "engine/core/QLException.h"
#include "platform/RegistryKey.h"

namespace {
constexpr const char* kGroup = "UnitTestGroup";

class Registry : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Nimbula\\UnitTestGroup");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\UnitTestProduct");
    }
    CRegistryKey m_key{1};
};
}

TEST_F(Registry, StringsAndBytesComeBackAsStored)
{
    std::string text;
    EXPECT_FALSE(m_key.GetCookieString(kGroup, "UnivFile", text));
    // UTF-8 inside, UTF-16 in the registry: letters beyond ASCII survive the round trip.
    const std::string path = "C:\\Users\\Zo\xC3\xAB\\Universes \xE2\x80\x94 \xE6\x98\x9F.nmd";
    m_key.PutCookieString(kGroup, "UnivFile", path);
    ASSERT_TRUE(m_key.GetCookieString(kGroup, "UnivFile", text));
    EXPECT_EQ(text, path);
    m_key.PutCookieString(kGroup, "UnivFile", "");
    ASSERT_TRUE(m_key.GetCookieString(kGroup, "UnivFile", text));
    EXPECT_EQ(text, "");

    std::vector<uint8_t> block(352);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7);
    m_key.PutCookieRaw(kGroup, "Nimbula", block);
    std::vector<uint8_t> back;
    ASSERT_TRUE(m_key.GetCookieRaw(kGroup, "Nimbula", back));
    EXPECT_EQ(back, block);
    // A string is not bytes, and bytes are not a string.
    EXPECT_FALSE(m_key.GetCookieRaw(kGroup, "UnivFile", back));
    EXPECT_FALSE(m_key.GetCookieString(kGroup, "Nimbula", text));
}

TEST_F(Registry, ConfigurationComesFromTheUsersKeyWhenTheMachineHasNone)
{
    EXPECT_THROW(m_key.GetConfigurationString("UnitTestProduct", "directory"), CQLException);
    m_key.PutConfigurationString("UnitTestProduct", "directory", "D:\\Nimbula");
    EXPECT_EQ(m_key.GetConfigurationString("UnitTestProduct", "directory"), "D:\\Nimbula");
}
