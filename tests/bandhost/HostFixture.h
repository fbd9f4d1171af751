#pragma once
// A development host with the in-process fake band handed in and shown, its log in a
// scratch folder; the shared start of the host's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "bandhost/BandHost.h"
#include "bandhost/FakeBand.h"

namespace pelmora::test {

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        bandhost::HostOptions options;
        options.frameRect = RECT{20, 20, 1020, 780};
        options.locateLog = [this] { return logPath; };
        options.dismissDialogs = true;
        ASSERT_TRUE(host.Open(options));
        ASSERT_EQ(S_OK, host.LoadBand(static_cast<IDeskBand*>(band.get()), L"Fake bar"));
        ASSERT_EQ(S_OK, host.ShowBand(true));
        host.PumpPending();
    }
    void TearDown() override { host.CloseBand(); }

    [[nodiscard]] bool TranscriptHas(const std::wstring& text) {
        const auto& lines = host.Transcript().Lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
    }
    // The band's calls from the given one on.
    [[nodiscard]] std::vector<std::string> CallsFrom(size_t first) const {
        return std::vector<std::string>(band->calls.begin() + static_cast<std::ptrdiff_t>(first), band->calls.end());
    }

    TempDir folder;
    std::wstring logPath = folder / L"Pelmora.log";
    com::ComPtr<FakeBand> band = com::ComPtr<FakeBand>::Attach(new FakeBand());
    bandhost::BandHost host;
};

}  // namespace pelmora::test
