#pragma once
// The soak: a seeded random walk of a user, another program and the browser over the
// hosted bar, with invariants checked after every action. One generator (a seeded
// Mersenne twister) picks actions from one table; each action is written as tour
// lines (see TourScript.h) and run by the tour runner, so a failing walk can be read,
// and replayed with the same seed and length. Every dialog that opens is answered at
// random from a second stream of the same seed (a button, or a name typed into a
// name box), so answering never shifts the actions that follow.
//
// After every action:
//   1. the action returned within 5 seconds (the time its dialogs waited for their
//      answers not counted);
//   2. the "Attached scripts:" list holds as many browser entries as the browser has
//      sinks, and as many window entries as the shown windows have sinks;
//   3. nothing is connected while the band is hidden; while it is shown, the main
//      script marked checked runs when its file exists and compiles (given the folder
//      watch a little time after file actions);
//   4. after a hide and show, each main script shows the mark the user left on it
//      (scripts only moved out and back, or replaced by rename, keep theirs);
//   5. no file below the script location is gone but those an action removed, and
//      nothing new appears beside the script location;
//   6. every close of the band lets COM unload the DLL (or DllCanUnloadNow answers
//      S_OK), and at the end the process's handle, GDI and USER counts are within a
//      small margin of where they stood at the first such close a quarter into the
//      walk (what the system caches for good is made by then; see ProcessObjects.h).
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bandhost/ProcessObjects.h"
#include "bandhost/TourRunner.h"

namespace pelmora::bandhost {

class BandHost;

struct SoakOptions {
    uint32_t seed = 1;
    int steps = 2000;
    std::wstring samples;  // the folder of the sample scripts (see tests/bandhost/soak)
    std::function<void(const std::wstring&)> print;  // the figures and the failure go here
    std::wstring skip;  // action kinds left out, separated by ','
};

class SoakRunner {
public:
    SoakRunner(BandHost& host, SoakOptions options);
    // Prints the figures; 0 when every invariant held, 1 otherwise.
    int Run();

private:
    using Lines = std::vector<std::wstring>;
    struct Action {
        const wchar_t* kind;
        int weight;
        void (SoakRunner::*make)(Lines& lines);
    };
    static const Action kActions[];

    // The generator.
    size_t Pick(size_t count) { return count ? random_() % count : 0; }
    const std::wstring& PickOf(const std::vector<std::wstring>& from) { return from[Pick(from.size())]; }
    std::wstring AnyItem(int tree);
    std::wstring AnyScript(bool main);
    std::wstring NewName(const std::wstring& folder);
    std::wstring Sample();

    // The actions: each writes its tour lines.
    void Check(Lines& lines);
    void Select(Lines& lines);
    void DoubleClick(Lines& lines);  // a script opens in the recording editor
    void Space(Lines& lines);
    void Tab(Lines& lines);
    void ToggleBand(Lines& lines);
    void HideShow(Lines& lines);
    void NewMain(Lines& lines);
    void NewUrl(Lines& lines);
    void DeleteScript(Lines& lines);
    void Navigate(Lines& lines);
    void Back(Lines& lines);
    void Create(Lines& lines);
    void Overwrite(Lines& lines);
    void OverwriteByRename(Lines& lines);
    void Remove(Lines& lines);
    void Rename(Lines& lines);
    void MoveOutAndBack(Lines& lines);
    void Break(Lines& lines);
    void MakeFolder(Lines& lines);
    void CloseAndOpen(Lines& lines);

    bool RunAction(const Action& action);
    // A thread of its own: an action that has not returned in time is a hang. It
    // reports the walk and ends the process, as the thread may never come back.
    void Watch();
    // Whether the user's Delete in this action (the item it was clicked on, its
    // answer unknown) may have removed file: nothing outside that item.
    bool UserMayHaveDeleted(const std::wstring& file) const;
    // After a close that began at transcript line from: COM unloaded the DLL, at the
    // latest once the page went too.
    bool ClosedBandUnloads(size_t from);
    // After a close whose DLL went: the settled counts, once, a quarter into the walk.
    void NoteUnloaded();
    // An action's time so far, less the time its boxes waited for an answer.
    ULONGLONG ActionMs(ULONGLONG start) const;
    void Remember(const std::wstring& line);
    // Answers the thread's open dialogs (from a thread timer, also inside modal loops).
    static void CALLBACK OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD);
    void AnswerDialogs();

    // The checker: false with the broken invariant in failure_.
    bool CheckInvariants(const Action& action, ULONGLONG took);
    bool ListMatchesSinks();
    bool CheckedScriptRuns();
    bool MarksKept();
    bool FilesSafe(const Action& action);
    bool Fail(const std::wstring& invariant);
    std::map<std::wstring, int> MainMarks();
    // The actions after which the marks shown are the user's own.
    static bool UserMarksAction(const Action& action);
    std::set<std::wstring> ListFiles() const;
    void Report(int step);
    void Say(const std::wstring& line) const;

    BandHost& host_;
    SoakOptions options_;
    TourRunner runner_;
    std::mt19937 random_;
    std::mt19937 answers_;
    std::wstring location_;  // the script location, no trailing '\'
    std::deque<std::wstring> recent_;
    std::map<std::wstring, int> counts_;
    std::map<std::wstring, ULONGLONG> milliseconds_;  // each kind's time, for the figures
    long long checks_ = 0;
    int missed_ = 0;  // steps that did not apply (an item gone meanwhile); no fault
    std::wstring failure_;
    // The model the checker holds against what it reads.
    std::map<std::wstring, int> marks_;  // main script key -> mark the user left
    std::map<std::wstring, int> marksBefore_;  // shown before a user's marks action
    std::set<std::wstring> files_;       // relative paths below the script location
    std::set<std::wstring> removed_;     // what the running action removes on purpose
    size_t besideLocation_ = 0;          // entries of the script location's parent
    size_t inCurrentFolder_ = 0;         // entries of the current folder, a canary among them
    std::wstring userDeleted_;  // the item whose Delete the user clicked in this action
    bool userDeletedMain_ = false;
    bool marksDue_ = false;
    bool filesMoved_ = false;
    int keptByPage_ = 0;  // closes whose DLL stayed until the page went
    ProcessObjects settled_;  // the counts the end is held against
    int settledStep_ = 0;     // where they were taken; 0 at the start
    unsigned loadsSinceSettled_ = 0;
    std::map<HWND, int> answered_;
    std::vector<std::wstring> answerLog_;
    static SoakRunner* answering_;
    std::mutex recentLock_;  // recent_ and step_, read by the watchdog
    int step_ = 0;
    std::atomic<ULONGLONG> actionStart_{0};  // 0 between actions
    // The time this action spent with a dialog open, waiting on the soak's answer
    // (the person's time, not the thread's): not counted against the 5 seconds.
    std::atomic<ULONGLONG> dialogMs_{0};
    std::atomic<ULONGLONG> starvedMs_{0};  // of this action, when the process got no time
    ULONGLONG lastAnswerTick_ = 0;
    std::atomic<bool> ended_{false};
};

}  // namespace pelmora::bandhost
