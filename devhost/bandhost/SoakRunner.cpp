#include "bandhost/SoakRunner.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <utility>

#include "bandhost/BandHost.h"
#include "bandhost/ListBoxWatch.h"
#include "bandhost/LogTail.h"
#include "bandhost/TourScript.h"
#include "bandhost/TreeItems.h"
#include "bandhost/WindowQueries.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::bandhost {

namespace {

// Below the script location: the main scripts' folder and the URL scripts' folder,
// named after the event interfaces; list entries begin with the same braced ids.
const std::wstring kMain = L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}";
const std::wstring kUrl = L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}";
const std::wstring kAway = L"away";  // where other programs park files; not watched
// The replay's lines keep the numbers: shorter, and tours take both.
const int kMainTree = ProductControlId(L"IDC_TREE_IE_WSC");
const int kUrlTree = ProductControlId(L"IDC_TREE_URL_WSC");
const int kNewMain = ProductControlId(L"IDC_BUTTON_NEW_IE_WSC");
const int kDeleteMain = ProductControlId(L"IDC_BUTTON_DEL_IE_WSC");
const int kDeleteUrl = ProductControlId(L"IDC_BUTTON_DEL_URL_WSC");
const int kNewUrl = ProductControlId(L"IDC_BUTTON_NEW_URL_WSC");
const int kFileNameBox = ProductControlId(L"IDC_COMBO_FILE_NAME");  // the Save Script As dialog's name
constexpr ULONGLONG kHangMs = 5000;
constexpr ULONGLONG kStarvedMs = 400;  // a watchdog's 100 ms sleep that took this long
constexpr int kSettleMs = 3000;  // for the folder watch to follow a file action
constexpr size_t kRecent = 20;
constexpr size_t kTranscriptTail = 40;
// Not a tour line: the soak checks there that the close let COM unload the DLL.
constexpr wchar_t kCheckUnload[] = L"(check the DLL unloads)";
// On x86 the toolchain's unwinder registers each DLL's frame tables through its thread
// runtime when the DLL loads, which gives the loading thread a handle and an event that
// the runtime does not give back when the DLL is unloaded. A close and open unloads
// and loads two such DLLs, the bar's and the stand-in script runtime's: 4 handles. On
// x64 nothing of the kind is left (the DLLs' static guards are the system's locks), so
// any growth with the loads there is a leak.
constexpr unsigned kRuntimeHandlesPerLoad = sizeof(void*) == 8 ? 0 : 4;
// Handles the end may hold beyond the loads' above: a leak of 2 a load (the x64 one
// mended) grows past this within a few dozen loads.
constexpr unsigned kHandleSlack = 24;

// Scripts with one behaviour each (the folder's README says which); broken.WSC does
// not compile.
const std::vector<std::wstring> kSamples = {L"quiet.WSC", L"throws.WSC", L"alert.WSC", L"navigates.WSC",
                                            L"hides.WSC", L"keeps.WSC",  L"interval.WSC"};
const std::vector<std::wstring> kPages = {
    L"http://a.example/index.html", L"http://a.example/",          L"http://b.example/index.html",
    L"http://b.example/news/index.html", L"http://a.example/frames1.html", L"http://a.example/frames2.html",
    L"http://b.example/frames3.html", L"http://c.example/picture.png", L"res://missing.dll/gone.html"};
const std::vector<std::wstring> kSetup = {
    L"frames http://a.example/frames1.html http://b.example/index.html",
    L"frames http://a.example/frames2.html http://a.example/index.html http://b.example/news/index.html",
    L"frames http://b.example/frames3.html http://a.example/ http://b.example/index.html http://a.example/index.html",
    L"not-html http://c.example/picture.png",
    L"make-folder " + kAway};
// Names a user types into the Save Script As dialog, bad ones included.
const std::vector<std::wstring> kTypedNames = {
    L"typed", L"news\\typed", L"bad|name", L"con", L"", L"   ", L"trailing.", L"..\\..\\escape",
    L"a.WSC", L"x:\\elsewhere", std::wstring(240, L'n'), L"quiet"};

// Read from the disk, not kept in a model: a write that did not apply (a file in use,
// its folder gone meanwhile) would leave the model wrong.
bool WrittenNotToCompile(const std::wstring& path) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    win::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return true;  // cannot be read: nothing can run it
    char text[1024] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), text, sizeof(text) - 1, &read, nullptr)) return true;
    return std::string(text, read).find("id=\"broken\"") != std::string::npos;
}

bool EndsWithScript(const std::wstring& name) {
    return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".WSC") == 0;
}

bool IsBelow(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
           path[folder.size()] == L'\\';
}

bool IsAtOrBelow(const std::wstring& path, const std::wstring& folder) {
    return _wcsicmp(path.c_str(), folder.c_str()) == 0 || IsBelow(path, folder);
}

BOOL CALLBACK CollectButton(HWND window, LPARAM parameter) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
    if (_wcsicmp(ClassOf(window).c_str(), WC_BUTTONW) == 0 && ::IsWindowVisible(window) &&
        ::IsWindowEnabled(window) && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON))
        reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

// The item paths of a tree, folders expanded on the way as a user opens them.
void CollectItems(HWND tree, HTREEITEM parent, const std::wstring& prefix, std::vector<std::wstring>& paths,
                  std::map<std::wstring, int>* marks) {
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_STATE;
        data.stateMask = TVIS_EXPANDED;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = MAX_PATH;
        if (!TreeView_GetItem(tree, &data)) continue;
        const std::wstring path = prefix + L"\\" + text;
        paths.push_back(path);
        if (data.cChildren) {
            // Only once: each expansion asks the band to list the folder again.
            if (!(data.state & TVIS_EXPANDED)) TreeView_Expand(tree, item, TVE_EXPAND);
            CollectItems(tree, item, path, paths, marks);
        } else if (marks && EndsWithScript(path)) {
            (*marks)[path] = TreeItemMark(tree, item);
        }
    }
}

void CollectFiles(const std::wstring& root, const std::wstring& relative, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW found{};
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    win::UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    while (search.valid()) {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
            // Links are not followed: a loop would never end.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(path);
            else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) CollectFiles(root, path, files);
        }
        if (!::FindNextFileW(search.get(), &found)) break;
    }
}

size_t CountEntries(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    win::UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    while (search.valid()) {
        names.insert(found.cFileName);
        if (!::FindNextFileW(search.get(), &found)) break;
    }
    return names.size();
}

void CountSinks(browser::WebBrowser& browser, size_t& sinks) {
    if (browser.CurrentWindow()) sinks += browser.CurrentWindow()->SinkCount();
    for (browser::WebBrowser* frame : browser.Frames()) CountSinks(*frame, sinks);
}

}  // namespace

SoakRunner* SoakRunner::answering_ = nullptr;

const SoakRunner::Action SoakRunner::kActions[] = {
    {L"check", 14, &SoakRunner::Check},
    {L"select", 7, &SoakRunner::Select},
    {L"double-click", 2, &SoakRunner::DoubleClick},
    {L"space", 5, &SoakRunner::Space},
    {L"tab", 3, &SoakRunner::Tab},
    {L"toggle-band", 5, &SoakRunner::ToggleBand},
    {L"hide-show", 6, &SoakRunner::HideShow},
    {L"new-main", 3, &SoakRunner::NewMain},
    {L"new-url", 3, &SoakRunner::NewUrl},
    {L"delete", 3, &SoakRunner::DeleteScript},
    {L"navigate", 16, &SoakRunner::Navigate},
    {L"back", 4, &SoakRunner::Back},
    {L"file-create", 5, &SoakRunner::Create},
    {L"file-overwrite", 4, &SoakRunner::Overwrite},
    {L"file-overwrite-by-rename", 3, &SoakRunner::OverwriteByRename},
    {L"file-delete", 3, &SoakRunner::Remove},
    {L"file-rename", 3, &SoakRunner::Rename},
    {L"file-out-and-back", 4, &SoakRunner::MoveOutAndBack},
    {L"file-broken", 2, &SoakRunner::Break},
    {L"file-folder", 2, &SoakRunner::MakeFolder},
    {L"close-open", 2, &SoakRunner::CloseAndOpen},
};

SoakRunner::SoakRunner(BandHost& host, SoakOptions options)
    : host_(host), options_(std::move(options)), runner_(host, options_.samples), random_(options_.seed),
      answers_(options_.seed ^ 0x9E3779B9u) {
    runner_.SetSettleMs(0);
    // Clicks on folders and on a tree being rebuilt often change nothing; the
    // checker reads the marks afterwards, so a short wait is enough.
    runner_.SetMarkTimeoutMs(500);
    const std::wstring log = ProductLogPath();
    location_ = log.substr(0, log.find_last_of(L'\\') == std::wstring::npos ? 0 : log.find_last_of(L'\\'));
}

// ---- the generator ----

std::wstring SoakRunner::AnyItem(int tree) {
    const HWND control = host_.FindBandControl(tree);
    std::vector<std::wstring> paths;
    if (control && ::IsWindowVisible(control)) CollectItems(control, TVI_ROOT, L"", paths, nullptr);
    return paths.empty() ? L"\\none" : PickOf(paths);
}

// A script file (relative to the script location) below the main or the URL folder.
std::wstring SoakRunner::AnyScript(bool main) {
    std::vector<std::wstring> scripts;
    for (const std::wstring& file : files_)
        if (EndsWithScript(file) && IsBelow(file, main ? kMain : kUrl)) scripts.push_back(file);
    return scripts.empty() ? std::wstring() : PickOf(scripts);
}

// A name not taken yet in folder.
std::wstring SoakRunner::NewName(const std::wstring& folder) {
    static const std::vector<std::wstring> kStems = {L"n", L"daily", L"news", L"x y", L"a.example", L"b.example"};
    for (;;) {
        const std::wstring path = folder + L"\\" + PickOf(kStems) + std::to_wstring(Pick(50)) + L".WSC";
        if (::GetFileAttributesW((location_ + L"\\" + path).c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    }
}

std::wstring SoakRunner::Sample() { return PickOf(kSamples); }

// ---- the table's actions ----

void SoakRunner::Check(Lines& lines) {
    const int tree = Pick(3) ? kMainTree : kUrlTree;
    lines.push_back((Pick(2) ? L"check " : L"uncheck ") + std::to_wstring(tree) + L" " + AnyItem(tree));
}

void SoakRunner::Select(Lines& lines) {
    const int tree = Pick(3) ? kMainTree : kUrlTree;
    lines.push_back(L"select " + std::to_wstring(tree) + L" " + AnyItem(tree));
}

void SoakRunner::DoubleClick(Lines& lines) {
    const int tree = Pick(3) ? kMainTree : kUrlTree;
    lines.push_back(L"double-click " + std::to_wstring(tree) + L" " + AnyItem(tree));
}

void SoakRunner::Space(Lines& lines) {
    Select(lines);
    lines.push_back(L"key Space");
}

void SoakRunner::Tab(Lines& lines) { lines.push_back(Pick(4) ? L"key Tab" : L"key Shift+Tab"); }

void SoakRunner::ToggleBand(Lines& lines) { lines.push_back(L"toggle-band"); }

void SoakRunner::HideShow(Lines& lines) {
    if (host_.IsBandShown()) lines.push_back(L"toggle-band");
    lines.push_back(L"toggle-band");
    marksDue_ = true;
}

void SoakRunner::NewMain(Lines& lines) { lines.push_back(L"click " + std::to_wstring(kNewMain)); }

void SoakRunner::NewUrl(Lines& lines) { lines.push_back(L"click " + std::to_wstring(kNewUrl)); }

void SoakRunner::DeleteScript(Lines& lines) {
    Select(lines);  // each tree has its own Delete button
    const bool mainSelected = lines.back().rfind(L"select " + std::to_wstring(kMainTree), 0) == 0;
    lines.push_back(L"click " + std::to_wstring(mainSelected ? kDeleteMain : kDeleteUrl));
}

void SoakRunner::Navigate(Lines& lines) { lines.push_back(L"navigate " + PickOf(kPages)); }

void SoakRunner::Back(Lines& lines) { lines.push_back(L"back"); }

void SoakRunner::Create(Lines& lines) {
    std::wstring path;
    const std::wstring main = AnyScript(true);
    if (Pick(2) || main.empty()) {
        std::vector<std::wstring> folders = {kMain};
        for (const std::wstring& file : files_)
            if (IsBelow(file, kMain) && file.find(L'\\', kMain.size() + 1) != std::wstring::npos)
                folders.push_back(file.substr(0, file.find_last_of(L'\\')));
        path = NewName(PickOf(folders));
    } else {
        // A URL script of a main script: a site script, or the index page's script.
        const std::wstring owner = kUrl + main.substr(kMain.size());
        const std::wstring host = Pick(2) ? L"a.example" : L"b.example";
        path = owner + L"\\" + (Pick(2) ? host + L".WSC" : host + L"\\index.html.WSC");
        if (::GetFileAttributesW((location_ + L"\\" + owner).c_str()) == INVALID_FILE_ATTRIBUTES)
            lines.push_back(L"make-folder " + owner);
        if (path.find(L"\\index.html") != std::wstring::npos &&
            ::GetFileAttributesW((location_ + L"\\" + owner + L"\\" + host).c_str()) == INVALID_FILE_ATTRIBUTES)
            lines.push_back(L"make-folder " + owner + L"\\" + host);
    }
    lines.push_back(L"save-script " + path + L" " + Sample());
}

void SoakRunner::Overwrite(Lines& lines) {
    const std::wstring path = AnyScript(Pick(3) != 0);
    if (path.empty()) return Create(lines);
    lines.push_back(L"save-script " + path + L" " + Sample());
}

void SoakRunner::OverwriteByRename(Lines& lines) {
    const std::wstring path = AnyScript(Pick(3) != 0);
    if (path.empty()) return Create(lines);
    const std::wstring saved = kAway + L"\\saving.WSC";
    lines.push_back(L"save-script " + saved + L" " + Sample());
    lines.push_back(L"delete-script " + path);
    lines.push_back(L"move-script " + saved + L" " + path);
}

void SoakRunner::Remove(Lines& lines) {
    std::wstring path = AnyScript(Pick(3) != 0);
    if (path.empty()) return Create(lines);
    if (!Pick(4) && path.find(L'\\', path.find(L'\\') + 1) != std::wstring::npos)
        path = path.substr(0, path.find_last_of(L'\\'));  // its folder, with what it holds
    lines.push_back(L"delete-script " + path);
    removed_.insert(path);
}

void SoakRunner::Rename(Lines& lines) {
    const std::wstring path = AnyScript(Pick(3) != 0);
    if (path.empty()) return Create(lines);
    const std::wstring target = NewName(path.substr(0, path.find_last_of(L'\\')));
    lines.push_back(L"move-script " + path + L" " + target);
    removed_.insert(path);
}

void SoakRunner::MoveOutAndBack(Lines& lines) {
    const std::wstring path = AnyScript(Pick(3) != 0);
    if (path.empty()) return Create(lines);
    const std::wstring parked = kAway + L"\\parked.WSC";
    lines.push_back(L"move-script " + path + L" " + parked);
    // Away for no time, or for a tick or two of the folder watch (250 ms).
    lines.push_back(L"wait " + std::to_wstring(Pick(3) ? Pick(600) : 0));
    lines.push_back(L"move-script " + parked + L" " + path);
}

void SoakRunner::Break(Lines& lines) {
    const std::wstring path = Pick(3) ? AnyScript(true) : std::wstring();
    const std::wstring target = path.empty() ? NewName(kMain) : path;
    lines.push_back(L"save-script " + target + L" broken.WSC");
}

void SoakRunner::MakeFolder(Lines& lines) {
    const std::wstring folder = kMain + L"\\f" + std::to_wstring(Pick(20));
    if (::GetFileAttributesW((location_ + L"\\" + folder).c_str()) != INVALID_FILE_ATTRIBUTES) return Create(lines);
    lines.push_back(L"make-folder " + folder);
}

void SoakRunner::CloseAndOpen(Lines& lines) {
    static const wchar_t* const kOrders[] = {L"browser", L"window-first", L"no-closedw"};
    lines.push_back(std::wstring(L"close-band ") + kOrders[Pick(3)]);
    lines.push_back(kCheckUnload);
    lines.push_back(L"open-band");
}

// ---- running ----

int SoakRunner::Run() {
    files_ = ListFiles();
    besideLocation_ = CountEntries(location_.substr(0, location_.find_last_of(L'\\')));
    inCurrentFolder_ = CountEntries(L".");
    for (const std::wstring& line : kSetup) {
        std::vector<TourStep> steps;
        std::wstring why;
        if (!ParseTour(line, steps, why) || !runner_.RunSingle(steps.front(), why)) {
            Say(L"soak: the set-up line \"" + line + L"\" failed: " + why);
            return 1;
        }
    }
    files_ = ListFiles();
    marks_ = MainMarks();
    answering_ = this;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 15, &SoakRunner::OnAnswerTimer);
    settled_ = CountProcessObjects();

    // Kinds left out weigh nothing; the walk of the others changes with them.
    const std::wstring skip = L"," + options_.skip + L",";
    std::vector<int> weights;
    int total = 0;
    for (const Action& action : kActions) {
        weights.push_back(skip.find(L"," + std::wstring(action.kind) + L",") == std::wstring::npos ? action.weight : 0);
        total += weights.back();
    }
    if (!options_.skip.empty()) Say(L"soak: left out: " + options_.skip);
    int step = 1;
    bool held = true;
    std::thread watchdog([this] { Watch(); });
    for (; step <= options_.steps && held; ++step) {
        {
            std::lock_guard<std::mutex> guard(recentLock_);
            step_ = step;
        }
        int roll = static_cast<int>(Pick(static_cast<size_t>(total)));
        size_t chosen = 0;
        while (roll >= weights[chosen]) roll -= weights[chosen++];
        held = RunAction(kActions[chosen]);
        if (held && step % 1000 == 0)
            Say(L"soak: step " + std::to_wstring(step) + L" of " + std::to_wstring(options_.steps) + L", " +
                std::to_wstring(checks_) + L" invariant checks so far");
    }
    --step;
    ended_ = true;
    watchdog.join();

    // The clean end: closed in the browser's order, the DLL free to go, nothing leaked.
    if (held) {
        const size_t from = host_.Transcript().Lines().size();
        host_.CloseBand();
        held = ClosedBandUnloads(from);
    }
    if (timer) ::KillTimer(nullptr, timer);
    answering_ = nullptr;
    if (held) {
        const ProcessObjects after = CountProcessObjects();
        ++checks_;
        const unsigned handleMargin = kHandleSlack + kRuntimeHandlesPerLoad * loadsSinceSettled_;
        Say(L"soak: from step " + std::to_wstring(settledStep_) + L": handles " + CountText(settled_.handles) +
            L" -> " + CountText(after.handles) + L" (margin " + std::to_wstring(handleMargin) + L" for " +
            std::to_wstring(loadsSinceSettled_) + L" loads of the DLL), GDI objects " + CountText(settled_.gdi) +
            L" -> " + CountText(after.gdi) + L", USER objects " + CountText(settled_.user) + L" -> " +
            CountText(after.user));
        // A margin for what the system caches once (fonts, image lists, the shell's).
        if (GrewBeyond(settled_.handles, after.handles, handleMargin) || GrewBeyond(settled_.gdi, after.gdi, 32) ||
            GrewBeyond(settled_.user, after.user, 32))
            held = Fail(L"6: the process's handle, GDI or USER objects grew beyond the margin");
    }
    if (!held) Report(step);

    std::wstring kinds;
    for (const auto& [kind, count] : counts_)
        kinds += L" " + kind + L"=" + std::to_wstring(count) + L" (" + std::to_wstring(milliseconds_[kind] / count) +
                 L" ms)";
    Say(L"soak: seed " + std::to_wstring(options_.seed) + L", " + std::to_wstring(step) + L" steps," + kinds);
    Say(L"soak: " + std::to_wstring(checks_) + L" invariant checks, " + std::to_wstring(missed_) +
          L" steps that did not apply, " + std::to_wstring(answerLog_.size()) + L" dialogs answered, " +
          std::to_wstring(keptByPage_) + L" closes whose DLL stayed until the page went, " +
          (held ? L"0 failures" : L"1 failure"));
    return held ? 0 : 1;
}

bool SoakRunner::RunAction(const Action& action) {
    Lines lines;
    removed_.clear();
    userDeleted_.clear();
    marksDue_ = false;
    (this->*action.make)(lines);
    ++counts_[action.kind];
    marksBefore_ = host_.IsBandShown() && UserMarksAction(action) ? MainMarks() : std::map<std::wstring, int>();
    filesMoved_ = std::wstring(action.kind).rfind(L"file-", 0) == 0;
    const ULONGLONG start = ::GetTickCount64();
    dialogMs_ = 0;
    starvedMs_ = 0;
    actionStart_ = start;
    size_t closeFrom = host_.Transcript().Lines().size();
    for (const std::wstring& line : lines) {
        if (line == kCheckUnload) {
            if (!ClosedBandUnloads(closeFrom)) return false;
            NoteUnloaded();
            continue;
        }
        closeFrom = host_.Transcript().Lines().size();
        Remember(line);
        std::vector<TourStep> steps;
        std::wstring why;
        if (!ParseTour(line, steps, why)) return Fail(L"the generator wrote a bad line: " + why);
        // What Delete acts on is what the tree has selected when it is clicked: the
        // select before it may not have taken (an item gone in a rebuild meanwhile).
        for (const auto& [button, tree] : {std::pair{kDeleteMain, kMainTree}, std::pair{kDeleteUrl, kUrlTree}}) {
            if (line != L"click " + std::to_wstring(button)) continue;
            const HWND control = host_.FindBandControl(tree);
            userDeleted_ = control ? SelectedTreePath(control) : std::wstring();
            userDeletedMain_ = tree == kMainTree;
        }
        if (!runner_.RunSingle(steps.front(), why)) ++missed_;
    }
    host_.PumpPending();
    actionStart_ = 0;
    const ULONGLONG took = ActionMs(start);
    milliseconds_[action.kind] += took;
    return CheckInvariants(action, took);
}

void SoakRunner::NoteUnloaded() {
    // The counts to hold the end against are taken once the walk has shown every dialog
    // and list the system caches for good, with the band closed and the DLL gone, as at
    // the end.
    if (settledStep_ == 0 && step_ >= options_.steps / 4) {
        settled_ = CountProcessObjects();
        settledStep_ = step_;
        loadsSinceSettled_ = 0;
    }
    ++loadsSinceSettled_;  // the band opens again
}

bool SoakRunner::ClosedBandUnloads(size_t from) {
    ++checks_;
    const auto unloaded = [this](size_t since) {
        host_.Transcript().Flush();
        const auto& lines = host_.Transcript().Lines();
        for (size_t i = since; i < lines.size(); ++i)
            if (lines[i].find(L"COM unloaded") != std::wstring::npos ||
                lines[i].find(L"answers S_OK") != std::wstring::npos)
                return true;
        return false;
    };
    if (unloaded(from)) return true;
    // A page may still hold what a script gave it: an interval's closure keeps its
    // event's Params. The browser lets go of those with the page, as when its
    // window closes; then nothing of the DLL may be left.
    const size_t since = host_.Transcript().Lines().size();
    (void)host_.Navigate(L"about:blank");
    host_.FreeUnusedLibraries();
    if (unloaded(since)) {
        ++keptByPage_;
        return true;
    }
    return Fail(L"6: after the band's close in the browser's order, and its page's, DllCanUnloadNow does not answer "
                L"S_OK");
}

ULONGLONG SoakRunner::ActionMs(ULONGLONG start) const {
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    const ULONGLONG excused = dialogMs_ + starvedMs_;
    return elapsed > excused ? elapsed - excused : 0;
}

void SoakRunner::Remember(const std::wstring& line) {
    std::lock_guard<std::mutex> guard(recentLock_);
    recent_.push_back(line);
    if (recent_.size() > kRecent) recent_.pop_front();
}

void SoakRunner::Watch() {
    ULONGLONG woke = ::GetTickCount64();
    while (!ended_) {
        ::Sleep(100);
        // Woken far too late: the machine gave this process no time (other jobs on
        // its cores), which stretches the action without the host hanging.
        const ULONGLONG now = ::GetTickCount64();
        if (now - woke > kStarvedMs && actionStart_) starvedMs_ += now - woke - 100;
        woke = now;
        const ULONGLONG start = actionStart_;
        if (!start || ActionMs(start) <= kHangMs) continue;
        std::lock_guard<std::mutex> guard(recentLock_);
        failure_ = L"1: the action has not returned within 5 seconds (the host's thread hangs; " +
                   std::to_wstring(dialogMs_) + L" ms with a box open and " + std::to_wstring(starvedMs_) +
                   L" ms without the machine's time not counted)";
        Report(step_);
        ::TerminateProcess(::GetCurrentProcess(), 1);
    }
}

void CALLBACK SoakRunner::OnAnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (answering_) answering_->AnswerDialogs();
}

void SoakRunner::AnswerDialogs() {
    const std::set<HWND> open = OpenDialogs();
    const ULONGLONG now = ::GetTickCount64();
    // Only the time a box was open during this action counts: the last tick may be
    // from an earlier one, with no pumping in between.
    const ULONGLONG start = actionStart_;
    const ULONGLONG from = std::max(lastAnswerTick_, start);
    if (!open.empty() && start && lastAnswerTick_ && now > from) dialogMs_ += now - from;
    lastAnswerTick_ = now;
    for (auto it = answered_.begin(); it != answered_.end();)
        it = ::IsWindow(it->first) ? std::next(it) : answered_.erase(it);
    for (const HWND dialog : open) {
        if (!::IsWindowEnabled(dialog)) continue;  // a box of its own is open over it
        int& times = answered_[dialog];
        if (times++ > 0) {
            // Still open after an answer (a refused name, a name being edited): Cancel
            // as a person clicks it, the focus moving there first; then close it.
            const HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
            if (times % 8 == 2 && cancel) {
                ::SetFocus(cancel);
                ::PostMessageW(cancel, BM_CLICK, 0, 0);
            } else if (times % 8 == 6) {
                ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            }
            continue;
        }
        std::wstring answer;
        const HWND nameBox = ::GetDlgItem(dialog, kFileNameBox);
        const HWND edit = nameBox ? reinterpret_cast<HWND>(::SendMessageW(nameBox, CBEM_GETEDITCONTROL, 0, 0)) : nullptr;
        if (edit && answers_() % 4 != 0) {
            const std::wstring& name = kTypedNames[answers_() % kTypedNames.size()];
            ::SetWindowTextW(edit, name.c_str());
            ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            answer = L"typed \"" + name.substr(0, 40) + L"\", Save";
        } else {
            std::vector<HWND> buttons;
            ::EnumChildWindows(dialog, &CollectButton, reinterpret_cast<LPARAM>(&buttons));
            if (buttons.empty()) {
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                answer = L"cancelled";
            } else {
                const HWND button = buttons[answers_() % buttons.size()];
                answer = WindowText(button);
                ::PostMessageW(button, BM_CLICK, 0, 0);
            }
        }
        answerLog_.push_back(L"answer \"" + WindowText(dialog) + L"\": " + answer);
        Remember(answerLog_.back());
    }
}

// ---- the checker ----

bool SoakRunner::Fail(const std::wstring& invariant) {
    failure_ = invariant;
    return false;
}

bool SoakRunner::CheckInvariants(const Action& action, ULONGLONG took) {
    ++checks_;
    if (took > kHangMs)
        return Fail(L"1: the action took " + std::to_wstring(took) + L" ms (more than 5 seconds)");
    if (!host_.Band().IsAttached()) return Fail(L"1: the host has no band after the action");
    ++checks_;
    if (!ListMatchesSinks()) return false;
    ++checks_;
    if (!CheckedScriptRuns()) return false;
    if (marksDue_) {
        ++checks_;
        if (!MarksKept()) return false;
    }
    ++checks_;
    if (!FilesSafe(action)) return false;
    // The user's marks as the tree shows them after the user's own actions.
    if (host_.IsBandShown() && UserMarksAction(action)) {
        const std::map<std::wstring, int> shown = MainMarks();
        // A click that changed a script's mark unchecks the scripts away at that moment:
        // one checked while away must not come back as a second checked main script.
        const bool scriptClicked = std::any_of(shown.begin(), shown.end(), [this](const auto& entry) {
            const auto before = marksBefore_.find(entry.first);
            return before != marksBefore_.end() && before->second != entry.second;
        });
        for (auto& [key, mark] : marks_)
            if (scriptClicked && !marksBefore_.count(key) && mark > 0 && mark % 2 == 0) --mark;
        // One that came back during the action keeps the model's mark, for the next
        // hide and show to check.
        for (const auto& [key, mark] : shown)
            if (marksBefore_.count(key) || !marks_.count(key)) marks_[key] = mark;
    }
    return true;
}

bool SoakRunner::ListMatchesSinks() {
    size_t windowSinks = 0;
    CountSinks(host_.Browser(), windowSinks);
    const size_t browserSinks = host_.Browser().SinkCount();
    if (!host_.IsBandShown()) {
        if (browserSinks || windowSinks)
            return Fail(L"3: the band is hidden, yet " + std::to_wstring(browserSinks) + L" browser and " +
                        std::to_wstring(windowSinks) + L" window scripts are connected");
        return true;
    }
    const HWND list = host_.FollowedListBox();
    if (!list) return Fail(L"2: the shown band has no list of attached scripts");
    size_t mains = 0, windows = 0;
    std::wstring all;
    for (const std::wstring& entry : ListBoxEntries(list)) {
        mains += entry.rfind(kMain, 0) == 0 ? 1 : 0;
        windows += entry.rfind(kUrl, 0) == 0 ? 1 : 0;
        all += L" [" + entry + L"]";
    }
    if (mains != browserSinks || windows != windowSinks)
        return Fail(L"2: the list holds " + std::to_wstring(mains) + L" browser and " + std::to_wstring(windows) +
                    L" window entries, but the browser has " + std::to_wstring(browserSinks) +
                    L" sinks and its windows " + std::to_wstring(windowSinks) + L";" + all);
    if (browserSinks > 1) return Fail(L"3: " + std::to_wstring(browserSinks) + L" main scripts run at once");
    return true;
}

bool SoakRunner::CheckedScriptRuns() {
    if (!host_.IsBandShown()) return true;
    const auto runs = [this](std::wstring& why) {
        if (!host_.IsBandShown()) return true;
        std::wstring checked;
        for (const auto& [key, mark] : MainMarks())
            if (mark > 0 && mark % 2 == 0) checked = key;
        if (checked.empty()) return true;
        const std::wstring file = kMain + checked;
        if (!files_.count(file) || WrittenNotToCompile(location_ + L"\\" + file)) return true;
        if (::GetFileAttributesW((location_ + L"\\" + file).c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        const HWND list = host_.FollowedListBox();
        const std::vector<std::wstring> entries = list ? ListBoxEntries(list) : std::vector<std::wstring>();
        if (std::find(entries.begin(), entries.end(), kMain + checked) != entries.end() &&
            host_.Browser().SinkCount() == 1)
            return true;
        why = L"3: the main script " + checked + L" is checked, compiles and the band is shown, but it does not run";
        return false;
    };
    std::wstring why;
    if (host_.PumpUntil([&] { return runs(why); }, kSettleMs)) return true;
    return Fail(why);
}

bool SoakRunner::MarksKept() {
    if (!host_.IsBandShown()) return true;
    const std::map<std::wstring, int> shown = MainMarks();
    for (const auto& [key, mark] : marks_) {
        const auto found = shown.find(key);
        if (found == shown.end()) continue;  // away now: its mark is checked when it is back
        if (found->second != mark)
            return Fail(L"4: after a hide and show " + key + L" shows mark " + std::to_wstring(found->second) +
                        L", the user left " + std::to_wstring(mark));
    }
    for (const auto& [key, mark] : shown) marks_[key] = mark;
    return true;
}

bool SoakRunner::FilesSafe(const Action& action) {
    const std::set<std::wstring> now = ListFiles();
    const std::wstring kind = action.kind;
    for (const std::wstring& file : files_) {
        if (now.count(file)) continue;
        bool allowed = UserMayHaveDeleted(file);
        for (const std::wstring& gone : removed_) allowed = allowed || IsAtOrBelow(file, gone);
        if (!allowed) return Fail(L"5: " + file + L" is gone, and nobody deleted it (" + kind + L")");
    }
    // A script deleted, or renamed away, for good: the model forgets its mark.
    for (auto it = marks_.begin(); it != marks_.end();) {
        const std::wstring file = kMain + it->first;
        bool forget = !now.count(file) && UserMayHaveDeleted(file);
        for (const std::wstring& gone : removed_) forget = forget || IsAtOrBelow(file, gone);
        it = forget ? marks_.erase(it) : std::next(it);
    }
    files_ = now;
    if (CountEntries(location_.substr(0, location_.find_last_of(L'\\'))) != besideLocation_)
        return Fail(L"5: a file or folder appeared beside the script location");
    // The browser's current folder: a shell that loses its path deletes there.
    if (CountEntries(L".") != inCurrentFolder_) return Fail(L"5: the current folder's entries changed");
    return true;
}

bool SoakRunner::UserMayHaveDeleted(const std::wstring& file) const {
    if (userDeleted_.empty() || userDeleted_ == L"\\none") return false;
    // A main script's Delete also removes its URL scripts' folder.
    if (userDeletedMain_) return IsAtOrBelow(file, kMain + userDeleted_) || IsAtOrBelow(file, kUrl + userDeleted_);
    // The URL tree shows the URL folder of the main script selected then.
    if (!IsBelow(file, kUrl)) return false;
    for (size_t at = file.find(userDeleted_); at != std::wstring::npos; at = file.find(userDeleted_, at + 1)) {
        const size_t end = at + userDeleted_.size();
        if (end == file.size() || file[end] == L'\\') return true;
    }
    return false;
}

bool SoakRunner::UserMarksAction(const Action& action) {
    const std::wstring kind = action.kind;
    return kind == L"check" || kind == L"space" || kind == L"delete" || kind == L"new-main";
}

std::map<std::wstring, int> SoakRunner::MainMarks() {
    std::map<std::wstring, int> marks;
    const HWND tree = host_.FindBandControl(kMainTree);
    std::vector<std::wstring> paths;
    if (tree && ::IsWindowVisible(tree)) CollectItems(tree, TVI_ROOT, L"", paths, &marks);
    return marks;
}

std::set<std::wstring> SoakRunner::ListFiles() const {
    std::set<std::wstring> files;
    CollectFiles(location_, L"", files);
    // The log and what other programs park are not scripts.
    for (auto it = files.begin(); it != files.end();)
        it = (IsBelow(*it, kMain) || IsBelow(*it, kUrl)) ? std::next(it) : files.erase(it);
    return files;
}

void SoakRunner::Say(const std::wstring& line) const {
    if (options_.print) options_.print(line);
}

void SoakRunner::Report(int step) {
    Say(L"soak: FAILED at step " + std::to_wstring(step) + L" of seed " + std::to_wstring(options_.seed));
    Say(L"soak: broken invariant " + failure_);
    Say(L"soak: the last actions, oldest first:");
    for (const std::wstring& line : recent_) Say(L"  " + line);
    Say(L"soak: replay with: SOAK_SEED=" + std::to_wstring(options_.seed) + L" SOAK_STEPS=" +
          std::to_wstring(step) + L" ARCH=" + (sizeof(void*) == 8 ? L"x64" : L"x86") + L" scripts/soak.sh");
    // What the host and the DLL did last: a walk depends on the folder watch's timing,
    // so a replay may not take the same turn. From the watch, while the host's thread
    // is stuck: only a copy.
    const std::vector<std::wstring> lines = host_.Transcript().Lines();
    std::vector<std::wstring> tail;  // newest first; a page's ticking intervals left out
    for (auto it = lines.rbegin(); it != lines.rend() && tail.size() < kTranscriptTail; ++it)
        if (it->rfind(L"interval: ", 0) != 0) tail.push_back(*it);
    Say(L"soak: the transcript's last lines:");
    for (auto it = tail.rbegin(); it != tail.rend(); ++it) Say(L"  " + *it);
}

}  // namespace pelmora::bandhost
