#pragma once
// Runs a parsed tour (see TourScript.h) against the host, step by step, as a person
// at the window would: each step goes into the transcript ("tour: line N: ..."), and
// each one that fails there too ("failed: line N: ...: why"). A failed step does not
// stop the tour: every expectation is checked. The messages of the host's thread are
// handled after every step.
//
// A step that makes the band open a modal dialog returns only when the dialog has
// ended; meanwhile the host keeps polling from inside the dialog's modal loop, and
// that is where the tour goes on: when the next step is "dialog CAPTION" and such a
// dialog opened during the running step, the following steps run there, one per poll,
// for as long as that dialog is open. Whatever ends the tour cancels the dialogs it
// was answering.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "bandhost/TourScript.h"

namespace pelmora::bandhost {

class BandHost;

class TourRunner {
public:
    // Relative screenshot files lie in baseDirectory.
    TourRunner(BandHost& host, std::wstring baseDirectory) : host_(host), baseDirectory_(std::move(baseDirectory)) {}

    // The number of failed steps. The tour ends early at quit or when the host window
    // was closed (which counts as a failure).
    int Run(const std::vector<TourStep>& steps);
    // One step on its own, outside Run: no transcript line, no dialog answered by the
    // steps after it. True when it held; why says otherwise.
    bool RunSingle(const TourStep& step, std::wstring& why) { return Do(step, why); }
    // How long a click, key or typed text lets the thread's messages run before the
    // next step (50 ms); 0 handles those already waiting and goes on.
    void SetSettleMs(int milliseconds) noexcept { settleMs_ = milliseconds; }
    // How long a check, uncheck or select waits for the tree to show it (3 s).
    void SetMarkTimeoutMs(int milliseconds) noexcept { markTimeoutMs_ = milliseconds; }

private:
    void RunStep(const TourStep& step);
    void OnPoll();
    bool Do(const TourStep& step, std::wstring& why);
    bool FindItem(const TourStep& step, HWND& tree, HTREEITEM& item, std::wstring& why);
    // Clicks the item's label once, or twice as a double-click.
    bool SelectItem(const TourStep& step, bool twice, std::wstring& why);
    bool WaitForDialog(const std::wstring& caption, std::wstring& why);
    // Makes the open dialog with that caption among candidates the one the tour answers.
    bool ClaimDialog(const std::wstring& caption, const std::set<HWND>& candidates);
    bool AnsweredDialogIsOpen(std::wstring& why) const;
    // The dialog's control id that takes text (a combo box's edit), focused.
    HWND TextControl(int id, std::wstring& why) const;
    bool TypeText(int id, const std::wstring& text, std::wstring& why);
    bool TypeKeys(int id, const std::wstring& text, std::wstring& why);
    bool PressButton(const std::wstring& button, std::wstring& why);
    bool CheckItem(const TourStep& step, bool check, std::wstring& why);
    bool Click(int id, std::wstring& why);
    bool SaveScript(const std::wstring& path, const std::wstring& source, std::wstring& why);
    bool MoveScript(const std::wstring& from, const std::wstring& to, std::wstring& why);
    bool DeleteScript(const std::wstring& path, std::wstring& why);
    bool MakeFolder(const std::wstring& path, std::wstring& why);
    bool PressKey(const TourKey& key, std::wstring& why);
    bool ExpectListed(const std::wstring& text, bool listed, std::wstring& why);
    bool ExpectTranscript(const std::wstring& text, std::wstring& why);
    bool ExpectFile(const std::wstring& path, std::wstring& why);
    // path, relative to the script location, as a full path.
    bool BelowScriptLocation(const std::wstring& path, std::wstring& full, std::wstring& why) const;
    std::wstring Resolve(const std::wstring& file) const;

    BandHost& host_;
    std::wstring baseDirectory_;
    size_t transcriptFrom_ = 0;
    bool quit_ = false;
    const std::vector<TourStep>* steps_ = nullptr;
    size_t next_ = 0;
    int failures_ = 0;
    // For each step running now, outermost first: the dialogs open when it began.
    std::vector<std::set<HWND>> running_;
    HWND dialog_ = nullptr;  // the dialog the tour answers
    std::set<HWND> claimed_;
    const std::wstring* awaitedCaption_ = nullptr;  // while a dialog step waits
    bool preclaimed_ = false;  // the next dialog step's dialog is claimed already
    int settleMs_ = 50;
    int markTimeoutMs_ = 3000;
};

}  // namespace pelmora::bandhost
