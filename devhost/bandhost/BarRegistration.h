#pragma once
// Where the host finds the bar: as the browser fills its Explorer Bar menu, from the
// classes that the component categories manager lists as implementing the vertical
// Explorer Bar category (CATID_InfoBand, "Implemented Categories" below the class's
// HKCR\CLSID key), and the in-process server that COM will load for the class.
// Internet Explorer's own "Explorer Bars" key adds the bar's saved width (BarSize).
#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::bandhost {

struct ExplorerBar {
    CLSID clsid{};
    std::wstring name;            // the class key's default value
    std::wstring server;          // InprocServer32's default value
    std::wstring threadingModel;  // InprocServer32's ThreadingModel
    bool vertical = false;        // implements CATID_InfoBand
    int barSize = 0;              // width in pixels from BarSize; 0 without one
};

// Every vertical Explorer Bar, in the order the categories manager lists them.
[[nodiscard]] HRESULT FindExplorerBars(std::vector<ExplorerBar>& bars);
// The registration of one class. False, with the reason, when COM could not create
// it in-process (no class key, no InprocServer32).
[[nodiscard]] bool ReadBarRegistration(const CLSID& clsid, ExplorerBar& bar, std::wstring& reason);

std::wstring ClsidText(const CLSID& clsid);
// "{...}" in registry form; false for anything else.
[[nodiscard]] bool ParseClsid(const std::wstring& text, CLSID& clsid);

}  // namespace pelmora::bandhost
