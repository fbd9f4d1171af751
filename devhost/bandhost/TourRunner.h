#pragma once
// Runs a parsed tour (see TourScript.h) against the host, step by step, as a person
// at the window would: each step goes into the transcript ("tour: line N: ..."), and
// each one that fails there too ("failed: line N: ...: why"). A failed step does not
// stop the tour: every expectation is checked. The messages of the host's thread are
// handled after every step.
#include <windows.h>
#include <commctrl.h>

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

private:
    bool Do(const TourStep& step, std::wstring& why);
    bool FindItem(const TourStep& step, HWND& tree, HTREEITEM& item, std::wstring& why);
    bool SelectItem(const TourStep& step, std::wstring& why);
    bool CheckItem(const TourStep& step, bool check, std::wstring& why);
    bool Click(int id, std::wstring& why);
    bool PressKey(const TourKey& key, std::wstring& why);
    bool ExpectListed(const std::wstring& text, bool listed, std::wstring& why);
    bool ExpectTranscript(const std::wstring& text, std::wstring& why);
    std::wstring Resolve(const std::wstring& file) const;

    BandHost& host_;
    std::wstring baseDirectory_;
    size_t transcriptFrom_ = 0;
    bool quit_ = false;
};

}  // namespace pelmora::bandhost
