#pragma once
// A tour: what the development host does instead of waiting for a person, one
// command a line, run in order. Blank lines and lines that start with '#' are
// skipped. A command is its first word; a text argument is the rest of the line with
// the blanks at both ends removed.
//
//   navigate URL               the browser goes to URL, as typed into the address box
//   frames URL FRAME...        from now on URL loads as an HTML page that holds the
//                              frames FRAME... (URLs separated by blanks), each of
//                              which loads as a page of its own
//   not-html URL               from now on URL loads as a document the HTML engine
//                              does not render (an image, a PDF): no window, no frames
//   back                       the browser's Back
//   check TREE PATH            clicks the check box (the state icon, with the pointer
//   uncheck TREE PATH            there and posted button messages, as a user does) of
//                              the item PATH of the band's tree view with control id
//                              TREE, unless it is checked (unchecked) already; PATH is
//                              the item texts from the top joined by '\', for example
//                              \news\daily.WSC (the leading '\' may be left out). An
//                              item counts as checked when its state image index is
//                              even: 2 in a plain check-box tree; 2 (folder marked)
//                              or 4 (checked) in the band's script trees
//   select TREE PATH           clicks the label of the item PATH of tree TREE, which
//                              selects it, unless it is selected already
//   click ID                   BM_CLICK to the band's control ID; a disabled or hidden
//                              control cannot be clicked
//   key KEY                    KEY pressed and released on the window that has the
//                              focus: a letter or digit, Space, Tab, Enter, Escape,
//                              Up, Down, Left, Right, Home, End, PageUp, PageDown,
//                              Insert, Delete, Backspace, F1 to F12; Shift+, Ctrl+ and
//                              Alt+ in front hold those keys down
//   save-script PATH FILE      writes the bytes of FILE (relative to the tour file's
//                              folder) over PATH, a file below the script location
//                              ("ScriptLocation" of the product key), as an editor
//                              saves it: the file gets a new last-write time
//   move-script FROM TO        moves the file or folder FROM to TO, both below the
//                              script location, as another program (an editor that
//                              saves by rename, a sync client) does; TO must not exist
//   toggle-band                View > Explorer Bar: hides the band when it is shown,
//                              shows it otherwise
//   wait MS                    lets MS milliseconds (0 to 600000) pass, messages handled
//   screenshot FILE            a PNG of the host window; a relative FILE lies in the
//                              tour file's folder
//   list-box ID                the band's list box the transcript follows and the
//                              attached expectations read; 0 is the band's first list
//                              box, which is followed until then
//   expect-attached TEXT       an entry of that list box contains TEXT
//   expect-not-attached TEXT   no entry contains TEXT
//   expect-file PATH           a file PATH below the script location exists
//   expect-transcript TEXT     a transcript line after the one the previous
//                              expect-transcript matched contains TEXT (the tour's own
//                              lines do not count)
//   dialog CAPTION             waits (up to 5 seconds) for a dialog of the host's
//                              thread with that caption, such as one the band opened
//                              with a click, a message box or the shell's question
//                              before it deletes a file, and answers it with the steps
//                              that follow: they run inside the dialog's modal loop
//                              until it closes. Dialogs the tour does not wait for are
//                              cancelled by the host (and noted as "dialog" lines)
//   type ID TEXT               replaces the text of the dialog's control ID with TEXT,
//                              typed as characters (posted WM_CHAR, so the control
//                              reports each change)
//   keys ID TEXT               gives the dialog's control ID the focus and presses the
//                              keys that type TEXT there, each one down and up (posted
//                              key messages, which the thread's message loop turns into
//                              characters, as it does the keyboard's): what watches the
//                              keys, such as the shell's AutoComplete, sees them. The
//                              text goes where the caret is; the control must show it
//                              afterwards
//   press BUTTON               presses the dialog's button with control id BUTTON,
//                              or, when BUTTON is not a number, the one whose text it
//                              is (without '&', ignoring case): "press Yes", "press 6";
//                              a disabled button cannot be pressed
//   quit                       ends the tour here
//   close-band ORDER           closes the band in one of the browser's orders and
//                              reports the unload: browser (ShowDW(FALSE), CloseDW,
//                              SetSite(NULL)), window-first (the band's window is
//                              destroyed before CloseDW), no-closedw (SetSite(NULL)
//                              without CloseDW)
//   open-band                  creates, sites and shows the bar again after close-band
//   focus-answer activate|none with activate, the site answers the band's
//                              OnFocusChangeIS with UIActivateIO inside that call
//   delete-script PATH         deletes the file or folder (with what it holds) PATH
//                              below the script location, as another program does
//   make-folder PATH           makes the folder PATH below the script location
//
// A tour is parsed whole before it runs: a bad line stops it with "line N: ...".
#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::bandhost {

enum class TourAction {
    kNavigate,
    kFrames,
    kNotHtml,
    kBack,
    kCheck,
    kUncheck,
    kSelect,
    kDoubleClick,
    kClick,
    kKey,
    kSaveScript,
    kMoveScript,
    kToggleBand,
    kWait,
    kScreenshot,
    kListBox,
    kExpectAttached,
    kExpectNotAttached,
    kExpectTranscript,
    kExpectFile,
    kDialog,
    kType,
    kKeys,
    kPress,
    kQuit,
    kCloseBand,
    kOpenBand,
    kFocusAnswer,
    kDeleteScript,
    kMakeFolder,
};

struct TourKey {
    WORD virtualKey = 0;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

struct TourStep {
    int line = 0;
    TourAction action = TourAction::kQuit;
    int number = 0;        // tree or control id, milliseconds, the index of a choice
    std::wstring text;     // URL, item path, file, expected text, caption, button
    std::vector<std::wstring> words;  // the frames' URLs
    TourKey key;
    std::wstring source;   // the line as written
};

// The id the product's resource header gives a control's name ("IDC_TREE_IE_WSC");
// 0 for a name it does not define.
[[nodiscard]] int ProductControlId(const std::wstring& name);
// False with "line N: why" for the first bad line; steps then holds nothing.
[[nodiscard]] bool ParseTour(const std::wstring& text, std::vector<TourStep>& steps, std::wstring& error);
[[nodiscard]] bool ParseKey(const std::wstring& name, TourKey& key);
// A text file in UTF-8 (with or without its byte order mark) or, when it is not valid
// UTF-8, in the ANSI code page.
[[nodiscard]] bool ReadTextFile(const std::wstring& path, std::wstring& text, std::wstring& error);

}  // namespace pelmora::bandhost
