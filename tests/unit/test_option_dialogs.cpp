// The options, setup and file dialogs without a display: conversions at both ends of the sliders,
// the colour-coding switch, the universe list, the setup choice, and the file dialog's answers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "../support/ScopedEnv.h"
#include "dialogs/OptionsDlg.h"
#include "platform/FileDialog.h"
#include "dialogs/SetupDlg.h"
#include "dialogs/StringTable.h"
#include "storage/UniverseLibrary.h"
#include "storage/UniverseFile.h"
#include "universe/Orb.h"
#include "universe/UniversalConstants.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace fs = std::filesystem;

namespace {
// Answers file questions as a script says; counts them.
class CFileAnswers {
public:
    explicit CFileAnswers(std::string answer = {}) : m_answer(std::move(answer))
    {
        m_old = SetFileDialogHandler([this](const SFileDialogOptions&, std::string* path) {
            ++m_asked;
            if (m_answer.empty()) return false;
            *path = m_answer;
            return true;
        });
    }
    ~CFileAnswers() { SetFileDialogHandler(m_old); }
    std::string m_answer;
    int m_asked = 0;

private:
    FileDialogHandler m_old;
};

// The application's loader over a list of loads it was asked for.
class CLoadingApp : public CAppServices {
public:
    SLoadOutcome LoadUniverse(const std::string* path) override
    {
        m_loads.push_back(path ? *path : "(asked)");
        return ::LoadUniverse(path, nullptr);
    }
    bool SaveModified() override
    {
        ++m_questions;
        return m_mayReplace;
    }
    std::vector<std::string> m_loads;
    int m_questions = 0;
    bool m_mayReplace = true;
};

class OptionDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_pConstants;
        g_pConstants = &m_block;
        SetAppServices(&m_app);
    }
    void TearDown() override
    {
        SetAppServices(nullptr);
        g_pConstants = m_saved;
        g_openDialog = nullptr;
    }
    // Opens the dialog, moves one slider, presses OK and applies, as the O key does.
    void ApplyWithSlider(int id, int position)
    {
        COptionsDlg dlg;
        dlg.OnInitDialog();
        dlg.GetDlgItem(id)->value = position;
        dlg.OnCommand(IDOK, BN_CLICKED);
        ASSERT_EQ(IDOK, dlg.Result());
        ApplyOptions(dlg, m_block);
    }

    CUniversalConstants m_block;
    CUniversalConstants* m_saved = nullptr;
    CLoadingApp m_app;
};
}

TEST_F(OptionDialogs, SlidersStoreTheirEndsAndKeepWhatTheyShow)
{
    {
        COptionsDlg dlg;
        EXPECT_EQ(&dlg, g_openDialog);
        dlg.OnInitDialog();
        EXPECT_EQ(35, dlg.GetDlgItem(kOptThrowForce)->value);
        EXPECT_EQ(-1, dlg.GetDlgItem(kOptUniverses)->selection);
        EXPECT_TRUE(dlg.GetDlgItem(kOptUniverses)->items.empty());
    }
    EXPECT_EQ(nullptr, g_openDialog);

    ApplyWithSlider(kOptBoundaryEnergy, 0);
    EXPECT_EQ(0.999, m_block.m_boundaryEnergy);
    ApplyWithSlider(kOptBoundaryEnergy, 100);
    EXPECT_EQ(-1.0, m_block.m_boundaryEnergy);
    EXPECT_EQ(3.5, m_block.m_throwForce);
    // Without a universe window only the count is stored.
    ApplyWithSlider(kOptOrbs, 0);
    EXPECT_EQ(1, m_block.m_orbCount);
    ApplyWithSlider(kOptOrbs, 100);
    EXPECT_EQ(250, m_block.m_orbCount);

    // With a window, an unchanged count leaves the orbs alone (building them here would throw:
    // there is no scene).
    m_block.m_orbCount = 100;
    m_app.m_pUniverseView = reinterpret_cast<CUniverseView*>(&m_block);
    EXPECT_NO_THROW(ApplyWithSlider(kOptGravity, 77));
    m_app.m_pUniverseView = nullptr;
    EXPECT_EQ(77.0, m_block.m_gravity);
    EXPECT_TRUE(g_orbs.empty());

    // Cancel applies nothing.
    COptionsDlg dlg;
    dlg.OnInitDialog();
    dlg.GetDlgItem(kOptGravity)->value = 5;
    dlg.OnDialogKey(VK_ESCAPE, false);
    EXPECT_EQ(IDCANCEL, dlg.Result());
    EXPECT_EQ(77.0, m_block.m_gravity);
}

TEST_F(OptionDialogs, OkWritesBackOnlyTheControlsTheUserChanged)
{
    // Values the sliders' steps cannot give back: untouched, OK leaves every byte as it was.
    m_block.m_propagationLoss = 0.29;
    m_block.m_tidalDivisor = 0.5;
    m_block.m_boundaryEnergy = 0.2;
    m_block.m_energyColorShifting = 7;
    const CUniversalConstants before = m_block;
    ApplyWithSlider(kOptGravity, int(m_block.m_gravity));
    EXPECT_EQ(0, std::memcmp(before.Bytes(), m_block.Bytes(), CUniversalConstants::kSize));
    // One slider moved and one box ticked: those two change, nothing else.
    {
        COptionsDlg dlg;
        dlg.OnInitDialog();
        dlg.GetDlgItem(kOptRecoil)->value = 12;
        dlg.ClickControl(kOptSpinning);
        dlg.OnCommand(IDOK, BN_CLICKED);
        ApplyOptions(dlg, m_block);
    }
    CUniversalConstants expected = before;
    expected.m_recoilLoss = 0.12;
    expected.m_spinning = before.m_spinning ? 0 : 1;
    EXPECT_EQ(0, std::memcmp(expected.Bytes(), m_block.Bytes(), CUniversalConstants::kSize));

    // The orb count likewise, though the window would rebuild the population at once.
    // Counts the slider cannot show (216 stands at 86, which gives 215; 1,000 beyond its 250) stay.
    for (int count : {216, 1000}) {
        m_block.m_orbCount = count;
        ApplyWithSlider(kOptGravity, 50);
        EXPECT_EQ(count, m_block.m_orbCount);
    }
    // Moved away and back again is not moved.
    m_block.m_orbCount = 216;
    {
        COptionsDlg dlg;
        dlg.OnInitDialog();
        dlg.GetDlgItem(kOptOrbs)->value = 10;
        dlg.GetDlgItem(kOptOrbs)->value = 86;
        dlg.OnCommand(IDOK, BN_CLICKED);
        ApplyOptions(dlg, m_block);
    }
    EXPECT_EQ(216, m_block.m_orbCount);
    // Moved, the slider's count holds, also for a count beyond its range.
    ApplyWithSlider(kOptOrbs, 40);
    EXPECT_EQ(100, m_block.m_orbCount);
    m_block.m_orbCount = 1000;
    ApplyWithSlider(kOptOrbs, 99);
    EXPECT_EQ(247, m_block.m_orbCount);
}

TEST_F(OptionDialogs, ColorShiftingGreysTheColourCoding)
{
    COptionsDlg dlg;
    dlg.OnInitDialog();
    const int coding[] = {kOptWhitePoint, kOptScaledColor, kOptFlash, kOptDynamicColor};
    for (int id : coding) EXPECT_TRUE(dlg.GetDlgItem(id)->enabled);
    dlg.ClickControl(kOptColorShifting);
    for (int id : coding) EXPECT_FALSE(dlg.GetDlgItem(id)->enabled) << id;
    EXPECT_FALSE(dlg.m_values.energyColorShifting);
    dlg.ClickControl(kOptColorShifting);
    for (int id : coding) EXPECT_TRUE(dlg.GetDlgItem(id)->enabled) << id;
}

TEST_F(OptionDialogs, UniverseListFillsOnFocusAndOtherCancelledStillReloads)
{
    CTempFolder temp("nimbula_options_");
    CScopedDataHome data(temp.Path());
    // The library's folder as each system names it.
    const fs::path library = UniverseLibraryFolder();
    fs::create_directories(library / "more");
    std::ofstream(library / "broken.nmd") << "not a universe";
    std::ofstream(library / "shown.nmd") << "the universe in use";
    CFileAnswers cancel;
    m_app.m_currentUniverse = (library / "shown.nmd").string();

    COptionsDlg dlg;
    dlg.OnInitDialog();
    // Before it is filled the list shows the universe in use, alone.
    const SDialogControl& list = *dlg.GetDlgItem(kOptUniverses);
    EXPECT_EQ((std::vector<std::string>{"shown.nmd"}), list.items);
    EXPECT_EQ(0, list.selection);
    dlg.SetFocusById(kOptUniverses);
    ASSERT_EQ((std::vector<std::string>{"broken.nmd", "shown.nmd", "[more]", "Other..."}), list.items);
    EXPECT_EQ(1, list.selection);

    // A file that fails to load keeps the values shown, and the list the universe in use.
    m_block.m_gravity = 33.0;
    dlg.SelectItem(kOptUniverses, 0);
    EXPECT_EQ(0, dlg.GetDlgItem(kOptGravity)->value);
    EXPECT_EQ(1, list.selection);
    // "Other..." asks, and even when the question is cancelled the values come back from the
    // block; the list shows the earlier entry again.
    dlg.SelectItem(kOptUniverses, 3);
    EXPECT_EQ(1, cancel.m_asked);
    EXPECT_EQ(33, dlg.GetDlgItem(kOptGravity)->value);
    EXPECT_EQ(1, list.selection);
    // The chosen name is found in the library, whatever the current directory is.
    const std::string broken = (library / "broken.nmd").string();
    EXPECT_EQ((std::vector<std::string>{broken}), m_app.m_loads);
    EXPECT_EQ(1, m_app.m_questions);
    // Unsaved work is asked about before any load; Cancel loads nothing and keeps the values.
    m_app.m_mayReplace = false;
    dlg.GetDlgItem(kOptGravity)->value = 12;
    dlg.SelectItem(kOptUniverses, 0);
    EXPECT_EQ(2, m_app.m_questions);
    EXPECT_EQ(1u, m_app.m_loads.size());
    EXPECT_EQ(12, dlg.GetDlgItem(kOptGravity)->value);
    EXPECT_EQ(1, list.selection);

    // A universe from elsewhere has no entry: the list starts empty.
    m_app.m_currentUniverse = (temp.Path() / "elsewhere.nmd").string();
    COptionsDlg other;
    other.OnInitDialog();
    EXPECT_TRUE(other.GetDlgItem(kOptUniverses)->items.empty());
    EXPECT_EQ(-1, other.GetDlgItem(kOptUniverses)->selection);
}

TEST(SetupDialog, OkWithoutAChoiceStoresNothingChosenAndOtherCancelledKeepsTheChoice)
{
    CTempFolder temp("nimbula_setup_");
    CScopedDataHome data(temp.Path());
    const fs::path library = UniverseLibraryFolder();
    fs::create_directories(library / "folder");
    std::ofstream(library / "rain.nmd") << "x";

    CSetupDlg untouched;
    untouched.OnInitDialog();
    untouched.OnCommand(IDOK, BN_CLICKED);
    EXPECT_EQ(IDOK, untouched.Result());
    EXPECT_EQ("", untouched.m_chosenUniverse);

    CFileAnswers cancel;
    CSetupDlg dlg;
    dlg.OnInitDialog();
    dlg.SetFocusById(kSetupUniversesId);
    ASSERT_EQ(3u, dlg.GetDlgItem(kSetupUniversesId)->items.size());
    dlg.SelectItem(kSetupUniversesId, 0);
    EXPECT_EQ((library / "rain.nmd").string(), dlg.m_chosenUniverse);
    dlg.SelectItem(kSetupUniversesId, 1);  // a sub-folder is no universe
    dlg.SelectItem(kSetupUniversesId, 2);  // "Other...", cancelled
    EXPECT_EQ(1, cancel.m_asked);
    EXPECT_EQ((library / "rain.nmd").string(), dlg.m_chosenUniverse);
    EXPECT_EQ(0, dlg.GetDlgItem(kSetupUniversesId)->selection);

    // Opened on the default universe in force: the list shows it, and OK keeps it.
    CSetupDlg preset;
    preset.m_chosenUniverse = (library / "rain.nmd").string();
    preset.OnInitDialog();
    EXPECT_EQ((std::vector<std::string>{"rain.nmd"}), preset.GetDlgItem(kSetupUniversesId)->items);
    EXPECT_EQ(0, preset.GetDlgItem(kSetupUniversesId)->selection);
    preset.OnCommand(IDOK, BN_CLICKED);
    EXPECT_EQ((library / "rain.nmd").string(), preset.m_chosenUniverse);
}

TEST(FileDialog, ListsFoldersFirstAndAnswersWithAFullPath)
{
    CTempFolder temp("nimbula_files_");
    const fs::path dir = temp.Path();
    for (const char* f : {"b.nmd", "A.NMD", "notes.txt", ".hidden.nmd"}) std::ofstream(dir / f) << "x";
    for (const char* d : {"zoo", "Apes", ".git"}) fs::create_directories(dir / d);

    SFileDialogOptions ask;
    ask.save = true;
    ask.filter = "Nimbula Data (*.nmd)|*.nmd|";
    ask.defaultExt = "nmd";
    ask.initialDir = dir.string();
    ask.confirmOverwrite = true;
    CFileDialog dlg(ask);
    dlg.OnInitDialog();
    EXPECT_EQ((std::vector<std::string>{"[Apes]", "[zoo]", "A.NMD", "b.nmd"}), dlg.GetDlgItem(kFileListId)->items);

    // Opening a folder from the list, and going up again.
    dlg.ActivateItem(kFileListId, 1);
    EXPECT_EQ(fs::canonical(dir / "zoo"), dlg.Folder());
    dlg.OnCommand(kFileUpId, BN_CLICKED);
    EXPECT_EQ(fs::canonical(dir), dlg.Folder());

    // A typed folder is shown; a name without extension gets the default one; an existing file is
    // replaced only after a yes.
    dlg.GetDlgItem(kFileNameId)->text = "Apes";
    dlg.OnOK();
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_EQ(fs::canonical(dir / "Apes"), dlg.Folder());
    dlg.GetDlgItem(kFileNameId)->text = "../b";
    int answer = IDNO;
    std::vector<std::string> asked;
    MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        asked.push_back(text);
        return answer;
    });
    dlg.OnOK();
    EXPECT_FALSE(dlg.IsEnded());
    answer = IDYES;
    dlg.OnOK();
    SetMessageBoxHandler(old);
    ASSERT_TRUE(dlg.IsEnded());
    EXPECT_EQ(2u, asked.size());
    EXPECT_EQ("b.nmd already exists.\nDo you want to replace it?", asked[0]);
    EXPECT_EQ(fs::canonical(dir / "b.nmd").string(), dlg.PathName());
}

TEST(ControlTips, ATipShowsOnlyOnTheControlItIsMeantFor)
{
    // One id, two dialogs: the share box describes the universal string, the options dialog's
    // boundary-shape list its own shape.
    EXPECT_EQ("This displays a universal string, which defines all the characteristics of a unique universe",
              ControlTip(105, 1014));
    EXPECT_EQ("Set shape of universe boundary field", ControlTip(103, 1014));
    EXPECT_EQ("How strong is the gravity in the universe ?", ControlTip(103, kOptGravity));
    // OK is no "Nimbula Screen Saver", a label nothing, and a slider without a text no empty box.
    EXPECT_EQ("", ControlTip(105, IDOK));
    EXPECT_EQ("", ControlTip(103, kOptOrbsLabel));
    EXPECT_EQ("", ControlTip(103, kOptMinimumAngle));
    EXPECT_EQ("", ControlTip(103, -1));
}
