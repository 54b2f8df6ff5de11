// File names are UTF-8 inside the program on every system: a universe, its folder and a texture
// named with accents, CJK and a letter beyond 16 bits are written, found and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/ScopedEnv.h"
#include "engine/core/Dib.h"
#include "engine/core/QLException.h"
#include "storage/UniverseFile.h"
#include "storage/UniverseLibrary.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
// The test's own conversions, independent of the program's: char8_t text is UTF-8 everywhere.
std::string Utf8(const std::u8string& s) { return std::string(s.begin(), s.end()); }
std::string Utf8(const fs::path& p) { return Utf8(p.u8string()); }

const std::u8string kFolder = u8"Jos\u00e9 \u00dcberraschung \u5b87\u5b99 \U0001F30C";
const std::u8string kUniverse = u8"\u00dcberraschung \u5b87\u5b99 \U0001F680.nmd";
const std::u8string kSubFolder = u8"\u00c4lter \u661f";
const std::u8string kTexture = u8"Textur \u00f1 \u661f \U0001F600.png";
}

TEST(Utf8Paths, UniverseAndTextureNamedBeyondAsciiAreWrittenListedAndReadBack)
{
    CTempFolder temp("nimbula_utf8_");
    const fs::path folder = temp.Path() / kFolder;
    ASSERT_TRUE(fs::create_directories(folder / kSubFolder));
    const std::string folderText = Utf8(folder);

    SUniverseFile written;
    written.m_cameraPosition = SFVec3f(1.5, -2.0, 3.25);
    written.m_groups.resize(1);
    written.m_groups[0].m_positions = {SFVec3f(1, 2, 3), SFVec3f(-4, 5, -6)};
    const std::string universePath = folderText + "/" + Utf8(kUniverse);
    ASSERT_NO_THROW(WriteUniverseFile(universePath, written));
    // The file carries the very name asked for, not one read in another character set.
    EXPECT_TRUE(fs::is_regular_file(folder / kUniverse));

    SUniverseFile read;
    ASSERT_NO_THROW(ReadUniverseFile(universePath, read));
    EXPECT_EQ(read.m_cameraPosition.z, 3.25);
    ASSERT_EQ(read.m_groups.size(), 1u);
    EXPECT_EQ(read.m_groups[0].m_positions.size(), 2u);
    EXPECT_EQ(ResolveUniversePath(universePath), universePath);

    EXPECT_EQ(ListUniverseFolder(folder),
              (std::vector<std::string>{Utf8(kUniverse), "[" + Utf8(kSubFolder) + "]", kOtherUniverseEntry}));

    CDIB picture(3, 2);
    picture.SetPixel(2, 1, 0xff336699u);
    const std::string texturePath = folderText + "/" + Utf8(kSubFolder) + "/" + Utf8(kTexture);
    ASSERT_TRUE(picture.SavePng(texturePath, ReplacingWriter()));
    EXPECT_TRUE(fs::is_regular_file(folder / kSubFolder / kTexture));
    std::unique_ptr<CDIB> loaded;
    ASSERT_NO_THROW(loaded = std::make_unique<CDIB>(texturePath));
    EXPECT_EQ(loaded->GetPixel(2, 1), 0xff336699u);

    // A missing file's message names it in the same UTF-8.
    try {
        CDIB missing(folderText + "/" + Utf8(kTexture));
        ADD_FAILURE() << "a missing texture loaded";
    } catch (const CQLException& e) {
        EXPECT_NE(e.What().find(Utf8(kTexture)), std::string::npos) << e.What();
    }
}
