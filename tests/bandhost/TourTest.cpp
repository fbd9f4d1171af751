// Tours of the development host: the grammar with its line-numbered refusals, and a
// tour run against the fake band through real controls, with a screenshot and with
// the expectations that fail named by their lines.
#include <gtest/gtest.h>

#include "bandhost/HostFixture.h"
#include "bandhost/TourRunner.h"
#include "bandhost/TourScript.h"
#include "bandhost/TreeItems.h"
#include "resources/resource.h"

namespace pelmora::test {
namespace {

using bandhost::TourAction;
using bandhost::TourStep;

TEST(TourScriptTest, EveryCommandParsesAndBadLinesAreRefusedWithTheirNumber) {
    const std::wstring tour =
        L"# a comment, then a blank line\r\n"
        L"\r\n"
        L"navigate   res://C:\\Program Files\\Pelmora\\Pelmora.dll/219  \r\n"
        L"back\n"
        L"check 209 \\news\\daily feed.WSC\n"
        L"uncheck 208 example.org\n"
        L"click 218\n"
        L"key Shift+Tab\n"
        L"toggle-band\n"
        L"wait 250\n"
        L"screenshot shots\\first.png\n"
        L"list-box 222\n"
        L"expect-attached {34A715A0-6587-11D0-924A-0020AFC7AC4D}\\alerts.WSC\n"
        L"expect-not-attached page.WSC\n"
        L"expect-transcript alert: complete URL: http://a.example/\n"
        L"frames http://f.example/  http://f.example/left.html http://f.example/right.html\n"
        L"not-html http://f.example/report.pdf\n"
        L"select 208 \\news.example.WSC\n"
        L"save-script {34A715A0-6587-11D0-924A-0020AFC7AC4D}\\alerts.WSC versions\\alerts 2.WSC\n"
        L"move-script {34A715A0-6587-11D0-924A-0020AFC7AC4D}\\alerts.WSC away\\alerts.WSC\n"
        L"quit";
    std::vector<TourStep> steps;
    std::wstring error;
    ASSERT_TRUE(bandhost::ParseTour(tour, steps, error)) << error;
    ASSERT_EQ(19u, steps.size());
    EXPECT_EQ(TourAction::kNavigate, steps[0].action);
    EXPECT_EQ(3, steps[0].line);
    EXPECT_EQ(L"res://C:\\Program Files\\Pelmora\\Pelmora.dll/219", steps[0].text);
    EXPECT_EQ(TourAction::kCheck, steps[2].action);
    EXPECT_EQ(209, steps[2].number);
    EXPECT_EQ(L"\\news\\daily feed.WSC", steps[2].text);
    EXPECT_EQ(TourAction::kUncheck, steps[3].action);
    EXPECT_EQ(218, steps[4].number);
    EXPECT_EQ(VK_TAB, steps[5].key.virtualKey);
    EXPECT_TRUE(steps[5].key.shift);
    EXPECT_FALSE(steps[5].key.control);
    EXPECT_EQ(250, steps[7].number);
    EXPECT_EQ(L"shots\\first.png", steps[8].text);
    EXPECT_EQ(222, steps[9].number);
    EXPECT_EQ(L"alert: complete URL: http://a.example/", steps[12].text);
    EXPECT_EQ(TourAction::kFrames, steps[13].action);
    EXPECT_EQ(L"http://f.example/", steps[13].text);
    EXPECT_EQ((std::vector<std::wstring>{L"http://f.example/left.html", L"http://f.example/right.html"}),
              steps[13].words);
    EXPECT_EQ(TourAction::kNotHtml, steps[14].action);
    EXPECT_EQ(TourAction::kSelect, steps[15].action);
    EXPECT_EQ(208, steps[15].number);
    EXPECT_EQ(TourAction::kSaveScript, steps[16].action);
    EXPECT_EQ(std::vector<std::wstring>{L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}\\alerts.WSC"}, steps[16].words);
    EXPECT_EQ(L"versions\\alerts 2.WSC", steps[16].text);
    EXPECT_EQ(TourAction::kMoveScript, steps[17].action);
    EXPECT_EQ(std::vector<std::wstring>{L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}\\alerts.WSC"}, steps[17].words);
    EXPECT_EQ(L"away\\alerts.WSC", steps[17].text);
    EXPECT_EQ(TourAction::kQuit, steps[18].action);
    EXPECT_EQ(21, steps[18].line);

    struct Case {
        std::wstring tour;
        std::wstring error;
    };
    const Case bad[] = {
        {L"navigate a\nchek 209 x", L"line 2: unknown command \"chek\""},
        {L"navigate", L"line 1: \"navigate\" needs a text after it"},
        {L"\n\nback now", L"line 3: \"back\" takes nothing after it"},
        {L"check 209", L"line 1: \"check\" needs the item's path after the tree's id"},
        {L"save-script alerts.WSC",
         L"line 1: \"save-script\" needs a path below the script location and a file after it"},
        {L"move-script alerts.WSC",
         L"line 1: \"move-script\" needs a path below the script location and the path to move it to"},
        {L"check tree \\a", L"line 1: \"check\" needs a tree's control id from 1 to 65535 first, not \"tree\""},
        {L"click 0", L"line 1: \"click\" needs a control id from 1 to 65535, not \"0\""},
        {L"click 65536", L"line 1: \"click\" needs a control id from 1 to 65535, not \"65536\""},
        {L"click IDC_NO_SUCH_BUTTON",
         L"line 1: \"click\" needs a control id from 1 to 65535, not \"IDC_NO_SUCH_BUTTON\""},
        {L"wait -5", L"line 1: \"wait\" needs milliseconds from 0 to 600000, not \"-5\""},
        {L"wait 600001", L"line 1: \"wait\" needs milliseconds from 0 to 600000, not \"600001\""},
        {L"key Hyper+Q", L"line 1: \"key\" does not know the key \"Hyper+Q\""},
        {L"key F13", L"line 1: \"key\" does not know the key \"F13\""},
        {L"expect-attached", L"line 1: \"expect-attached\" needs a text after it"},
        {L"frames http://f.example/",
         L"line 1: \"frames\" needs a page's URL and at least one frame's URL after it"},
        {L"list-box abc", L"line 1: \"list-box\" needs a control id from 0 to 65535, not \"abc\""},
        {L"close-band sideways",
         L"line 1: \"close-band\" needs one of browser|window-first|no-closedw, not \"sideways\""},
        {L"focus-answer", L"line 1: \"focus-answer\" needs one of none|activate, not \"\""},
        {L"open-band now", L"line 1: \"open-band\" takes nothing after it"},
        {L"delete-script", L"line 1: \"delete-script\" needs a text after it"},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.tour);
        steps.assign(1, TourStep{});
        EXPECT_FALSE(bandhost::ParseTour(c.tour, steps, error));
        EXPECT_EQ(c.error, error);
        EXPECT_TRUE(steps.empty()) << "nothing of a bad tour runs";
    }
}

TEST(TourScriptTest, CloseOrdersFocusAnswersFileCommandsAndControlNamesParse) {
    struct Case {
        std::wstring line;
        TourAction action;
        int number;
        std::wstring text;
    };
    const Case good[] = {
        {L"close-band browser", TourAction::kCloseBand, 0, L""},
        {L"close-band Window-First", TourAction::kCloseBand, 1, L""},
        {L"close-band no-closedw", TourAction::kCloseBand, 2, L""},
        {L"open-band", TourAction::kOpenBand, 0, L""},
        {L"focus-answer none", TourAction::kFocusAnswer, 0, L""},
        {L"focus-answer activate", TourAction::kFocusAnswer, 1, L""},
        {L"delete-script away\\x.WSC", TourAction::kDeleteScript, 0, L"away\\x.WSC"},
        {L"make-folder away", TourAction::kMakeFolder, 0, L"away"},
        // Controls by the names of the product's resource header.
        {L"check IDC_TREE_IE_WSC \\a.WSC", TourAction::kCheck, IDC_TREE_IE_WSC, L"\\a.WSC"},
        {L"click IDC_BUTTON_DEL_URL_WSC", TourAction::kClick, IDC_BUTTON_DEL_URL_WSC, L""},
        {L"list-box IDC_LIST_ATTACHED_WSC", TourAction::kListBox, IDC_LIST_ATTACHED_WSC, L""},
        {L"keys IDC_COMBO_FILE_NAME al", TourAction::kKeys, IDC_COMBO_FILE_NAME, L"al"},
    };
    for (const Case& c : good) {
        SCOPED_TRACE(c.line);
        std::vector<TourStep> steps;
        std::wstring error;
        ASSERT_TRUE(bandhost::ParseTour(c.line, steps, error)) << error;
        ASSERT_EQ(1u, steps.size());
        EXPECT_EQ(c.action, steps[0].action);
        EXPECT_EQ(c.number, steps[0].number);
        EXPECT_EQ(c.text, steps[0].text);
    }
}

using TourTest = HostFixture;

// The PNG's signature, then its header chunk with width and height (big-endian).
bool ReadPngSize(const std::string& bytes, UINT& width, UINT& height) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return false;
    const auto number = [&](size_t at) {
        return static_cast<UINT>(static_cast<unsigned char>(bytes[at])) << 24 |
               static_cast<UINT>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
               static_cast<UINT>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
               static_cast<UINT>(static_cast<unsigned char>(bytes[at + 3]));
    };
    width = number(16);
    height = number(20);
    return true;
}

TEST_F(TourTest, TourDrivesTheBandThroughItsControlsAndReportsUnmetExpectationsByLine) {
    const std::wstring tour =
        L"navigate http://a.example/\n"                                   // 1
        L"check 209 \\NEWS\\daily.wsc\n"                                  // 2
        L"click 211\n"                                                    // 3
        L"expect-attached clicked\n"                                      // 4
        L"expect-not-attached nothing like this\n"                        // 5
        L"expect-transcript event: DocumentComplete http://a.example/\n"  // 6
        L"toggle-band\n"                                                  // 7
        L"check 209 top.WSC\n"                                            // 8: the band is hidden
        L"toggle-band\n"                                                  // 9
        L"screenshot host.png\n"                                          // 10
        L"click 212\n"                                                    // 11: disabled
        L"expect-attached missing\n"                                      // 12
        L"expect-transcript event: DocumentComplete http://a.example/\n"  // 13: matched before
        L"check 209 \\news\\weekly.WSC\n"                                 // 14: no such item
        L"uncheck 209 \\news\\daily.WSC\n"                                // 15
        L"quit\n"                                                         // 16
        L"navigate http://never.example/\n";
    std::vector<TourStep> steps;
    std::wstring error;
    ASSERT_TRUE(bandhost::ParseTour(tour, steps, error)) << error;
    bandhost::TourRunner runner(host, folder.path());
    const size_t callsBefore = band->calls.size();
    EXPECT_EQ(5, runner.Run(steps));

    EXPECT_TRUE(TranscriptHas(L"failed: line 8: check 209 top.WSC: the tree is hidden"));
    EXPECT_TRUE(TranscriptHas(L"failed: line 11: click 212: control 212 is disabled"));
    EXPECT_TRUE(
        TranscriptHas(L"failed: line 12: expect-attached missing: no entry contains it; the list holds clicked"));
    EXPECT_TRUE(TranscriptHas(L"failed: line 13: expect-transcript"));
    EXPECT_TRUE(TranscriptHas(L"failed: line 14: check 209 \\news\\weekly.WSC: the tree has no item"));
    EXPECT_FALSE(TranscriptHas(L"failed: line 15"));
    EXPECT_FALSE(TranscriptHas(L"never.example")) << "quit ended the tour";
    EXPECT_TRUE(TranscriptHas(L"attached: clicked"));

    // The click reached the box as a user's: the band was activated by it, and the
    // item is unchecked again after the last step.
    const std::vector<std::string> calls = CallsFrom(callsBefore);
    const std::string activated = "UIActivateIO(TRUE, " + std::to_string(WM_LBUTTONDOWN) + ")";
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), activated));
    EXPECT_EQ(2, std::count(calls.begin(), calls.end(), std::string("ShowDW(FALSE)")) +
                     std::count(calls.begin(), calls.end(), std::string("ShowDW(TRUE)")));
    const HWND tree = band->window.tree;
    EXPECT_EQ(1, bandhost::TreeItemMark(tree, bandhost::FindTreeItem(tree, L"news\\daily.WSC")));

    UINT width = 0, height = 0;
    ASSERT_TRUE(ReadPngSize(ReadFileBytes(folder / L"host.png"), width, height));
    RECT frame{};
    ::GetWindowRect(host.FrameHandle(), &frame);
    EXPECT_EQ(static_cast<UINT>(frame.right - frame.left), width);
    EXPECT_EQ(static_cast<UINT>(frame.bottom - frame.top), height);
}

}  // namespace
}  // namespace pelmora::test
