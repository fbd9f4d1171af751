// A scriptlet end to end: a main script written by the generator from the real
// browser event interface, loaded through the "script:" moniker by the Wine script
// runtime, connected to an event source, and receiving events with Params.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "AllocationFailure.h"
#include "TestSupport.h"
#include "component/FakeBar.h"
#include "component/PelmoraApp.h"
#include "LogCapture.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"
#include "runtime/FakeEventSource.h"
#include "runtime/ScriptEditing.h"
#include "runtime/Scriptlet.h"
#include "scriptrt/WscFixture.h"

namespace pelmora {
namespace {

const IID kBrowserEvents = __uuidof(DWebBrowserEvents2);

// The browser's events looked up in a type library that is not registered, and in the
// right library under an interface id it does not describe.
const EventInterface kUnregisteredLibrary = {L"{0E5E1B0C-0000-4000-8000-00000000BAD0}", 1,
                                             test::kBrowserEventsId.c_str(), kBrowserEvents, L"browser"};
const EventInterface kUndescribedInterface = {test::kShDocVwLibraryId.c_str(), 1,
                                              L"{0E5E1B0C-0000-4000-8000-00000000BAD1}", kBrowserEvents, L"browser"};

// A scriptlet of the browser's events, with a hook the test can watch and steer.
class BrowserEventsScriptlet final : public CScriptlet {
public:
    BrowserEventsScriptlet(const EventInterface& events, std::wstring root, std::wstring path)
        : CScriptlet(events, std::move(root), std::move(path)) {}
    HRESULT PreInvoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        hookedEvents.push_back(id);
        if (onHook) onHook();
        return hookResult;
    }

    std::vector<DISPID> hookedEvents;
    HRESULT hookResult = 0;
    std::function<void()> onHook;
};

// A BeforeNavigate2 call as the browser makes it: arguments last to first, URL and
// Cancel by reference.
struct BeforeNavigate2Call {
    explicit BeforeNavigate2Call(const wchar_t* url) : urlText(test::StringValue(url)) {
        for (VARIANT& argument : arguments) ::VariantInit(&argument);
        arguments[0].vt = VT_BYREF | VT_BOOL;
        arguments[0].pboolVal = &cancel;
        arguments[5].vt = VT_BYREF | VT_VARIANT;
        arguments[5].pvarVal = urlText.get();
        params.rgvarg = arguments;
        params.cArgs = 7;
    }
    com::Variant urlText;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT arguments[7];
    DISPPARAMS params{};
};

class ScriptletTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING | LOG_INFO));
        GetPelmoraApp().SetCurrentBar(&bar_);
        typeInfo_ = test::LoadBrowserEventsTypeInfo();
        ASSERT_TRUE(typeInfo_);
    }
    void TearDown() override { GetPelmoraApp().SetCurrentBar(nullptr); }

    // The generated main script at root\path with the given event bodies.
    void WriteMainScript(const std::wstring& path, const test::ScriptBodies& bodies) {
        test::WriteGeneratedScript(typeInfo_, L"browser", root_.path() + path, bodies);
    }

    com::ComPtr<BrowserEventsScriptlet> MakeScriptlet(const std::wstring& path,
                                                      const EventInterface& events = BrowserEvents()) {
        return com::ComPtr<BrowserEventsScriptlet>(new BrowserEventsScriptlet(events, root_.path(), path));
    }

    HRESULT FireDocumentComplete(const wchar_t* url, WORD flags = DISPATCH_METHOD, VARIANT* result = nullptr) {
        com::Variant urlText = test::StringValue(url);
        VARIANT arguments[2];
        arguments[0].vt = VT_BYREF | VT_VARIANT;
        arguments[0].pvarVal = urlText.get();
        arguments[1].vt = VT_DISPATCH;
        arguments[1].pdispVal = &source_;
        DISPPARAMS params{arguments, nullptr, 2, 0};
        return source_.Fire(DISPID_DOCUMENTCOMPLETE, &params, flags, result);
    }

    test::TempDir root_;
    test::FakeBar bar_;
    test::FakeEventSource source_{kBrowserEvents};
    com::ComPtr<ITypeInfo> typeInfo_;
};

TEST_F(ScriptletTest, GeneratedMainScriptReceivesEventsWithParamsAndCancelFlowsBack) {
    WriteMainScript(L"\\main.WSC", {{"DocumentComplete", "browser.Completed = Params.URL;"},
                                    {"BeforeNavigate2", "Params.Cancel = Params.URL == 'http://stop/';"}});
    auto scriptlet = MakeScriptlet(L"\\main.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    EXPECT_TRUE(scriptlet->IsAttached());
    EXPECT_EQ(1u, source_.Connections());

    // URL arrives by reference; the script sees the plain text.
    EXPECT_EQ(S_OK, FireDocumentComplete(L"http://h/a.html"));
    EXPECT_EQ(L"http://h/a.html", test::StringOf(source_[L"Completed"]));

    BeforeNavigate2Call go(L"http://go/");
    BeforeNavigate2Call stop(L"http://stop/");
    EXPECT_EQ(S_OK, source_.Fire(DISPID_BEFORENAVIGATE2, &go.params));
    EXPECT_EQ(VARIANT_FALSE, go.cancel);
    EXPECT_EQ(S_OK, source_.Fire(DISPID_BEFORENAVIGATE2, &stop.params));
    EXPECT_EQ(VARIANT_TRUE, stop.cancel);  // -1 in the caller's VARIANT_BOOL

    EXPECT_EQ((std::vector<DISPID>{DISPID_DOCUMENTCOMPLETE, DISPID_BEFORENAVIGATE2,
                                   DISPID_BEFORENAVIGATE2}),
              scriptlet->hookedEvents);
    EXPECT_EQ(S_OK, scriptlet->Detach());
    EXPECT_EQ(0u, source_.Connections());
    const std::wstring label = test::kBrowserEventsId + L"\\main.WSC";
    EXPECT_EQ((std::vector<std::wstring>{L"attached " + label, L"detached " + label}), bar_.events);
}

TEST_F(ScriptletTest, ThrowingScriptFunctionWritesNothingBackAndIsLogged) {
    WriteMainScript(L"\\throws.WSC", {{"BeforeNavigate2", "Params.Cancel = true; throw new Error('no');"}});
    auto scriptlet = MakeScriptlet(L"\\throws.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    test::LogCapture log;
    BeforeNavigate2Call call(L"");
    const HRESULT hr = source_.Fire(DISPID_BEFORENAVIGATE2, &call.params);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(VARIANT_FALSE, call.cancel);
    EXPECT_NE(std::string::npos,
              log.Added().find(":<ERROR(" + std::to_string(hr) +
                               ")> Invoke of BeforeNavigate2 scriptlet function failed. in CScriptlet::Invoke at "
                               "Scriptlet (line:"));
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, ReturnValueOfScriptFunctionNeverReachesTheSource) {
    WriteMainScript(L"\\returns.WSC", {{"DocumentComplete", "return 5;"}});
    auto scriptlet = MakeScriptlet(L"\\returns.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    com::Variant result;
    EXPECT_EQ(S_OK, FireDocumentComplete(L"u", DISPATCH_METHOD, result.get()));
    EXPECT_EQ(VT_EMPTY, result->vt);
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, MixedFlagsForwardTheEventsOwnArgumentsWithoutParams) {
    WriteMainScript(L"\\forward.WSC", {{"DocumentComplete", "browser.Count = arguments.length;"}});
    auto scriptlet = MakeScriptlet(L"\\forward.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    EXPECT_EQ(S_OK, FireDocumentComplete(L"u", DISPATCH_METHOD | DISPATCH_PROPERTYGET));
    ASSERT_EQ(VT_I4, source_[L"Count"]->vt);
    EXPECT_EQ(2, source_[L"Count"]->lVal);
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, HookThatAnswersStopsTheEventBeforeTheScript) {
    WriteMainScript(L"\\hook.WSC", {{"DocumentComplete", "browser.Completed = 1;"}});
    auto scriptlet = MakeScriptlet(L"\\hook.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    scriptlet->hookResult = S_FALSE;
    EXPECT_EQ(S_FALSE, FireDocumentComplete(L"u"));
    EXPECT_EQ(VT_EMPTY, source_[L"Completed"]->vt);
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, MissingFunctionAndUnknownDispidAreLoggedPerEvent) {
    const std::string script = test::WscFile({{"browser", test::WscMemberKind::Property}},
                                             test::WscPropertyCode("browser"));
    test::WriteFileBytes(root_ / L"bare.WSC", script);
    auto scriptlet = MakeScriptlet(L"\\bare.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    test::LogCapture log;
    DISPPARAMS none{};
    // Twice each: what was found missing once is kept, and still reported every time.
    for (int event = 0; event < 2; ++event) {
        EXPECT_EQ(E_NOTIMPL, FireDocumentComplete(L"u"));
        EXPECT_TRUE(FAILED(source_.Fire(424242, &none)));
    }
    const std::string added = log.Added();
    EXPECT_EQ(2u, test::CountOf(added, "> Function DocumentComplete is not implemented. in "
                                       "CScriptlet::Invoke at Scriptlet"));
    EXPECT_EQ(2u, test::CountOf(added, "> Can not find function name, unknown DISPID. in CScriptlet::Invoke"));
    // The hook ran for each, before the script was asked.
    EXPECT_EQ(4u, scriptlet->hookedEvents.size());
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, ReattachFindsTheFunctionsOfTheRewrittenScriptAgain) {
    // The second version declares another function first, so its functions get other
    // ids: an id kept from the first version would call the wrong one.
    const auto writeVersion = [&](const std::vector<std::string>& functions) {
        std::vector<test::WscMember> members{{"browser", test::WscMemberKind::Property}};
        std::string body = test::WscPropertyCode("browser");
        for (const std::string& function : functions) {
            members.push_back({function, test::WscMemberKind::EventMethod});
            body += "            function " + function + "(Params) { browser.Which = '" + function + "'; }\r\n";
        }
        test::WriteFileBytes(root_ / L"moving.WSC", test::WscFile(members, body));
    };
    writeVersion({"DocumentComplete"});
    auto scriptlet = MakeScriptlet(L"\\moving.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    ASSERT_EQ(S_OK, FireDocumentComplete(L"u"));
    EXPECT_EQ(L"DocumentComplete", std::wstring(V_BSTR(source_[L"Which"])));
    ASSERT_EQ(S_OK, scriptlet->Detach());

    writeVersion({"StatusTextChange", "DocumentComplete"});
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    source_[L"Which"]->vt = VT_EMPTY;
    ASSERT_EQ(S_OK, FireDocumentComplete(L"u"));
    ASSERT_EQ(VT_BSTR, source_[L"Which"]->vt);
    EXPECT_EQ(L"DocumentComplete", std::wstring(V_BSTR(source_[L"Which"])));
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, MissingScriptFileFailsAttachWithoutPropertyOrConnection) {
    auto scriptlet = MakeScriptlet(L"\\absent.WSC");
    test::LogCapture log;
    const HRESULT hr = scriptlet->Attach(&source_);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(0, source_.advises);
    EXPECT_TRUE(bar_.events.empty());
    EXPECT_NE(std::string::npos,
              log.Added().find(":<ERROR(" + std::to_string(hr) + ")> Can not create scriptlet object (script:" +
                               win::WideToAnsi(root_.path()) + "\\absent.WSC). in CScriptlet::Load at Scriptlet"));
}

TEST_F(ScriptletTest, ScriptWithoutBrowserPropertyFailsBeforeAdvise) {
    test::WriteFileBytes(root_ / L"noprop.WSC",
                         test::WscFile({{"DocumentComplete", test::WscMemberKind::EventMethod}},
                                       "            function DocumentComplete(Params) {}\r\n"));
    auto scriptlet = MakeScriptlet(L"\\noprop.WSC");
    test::LogCapture log;
    EXPECT_TRUE(FAILED(scriptlet->Attach(&source_)));
    EXPECT_EQ(0, source_.advises);
    EXPECT_NE(std::string::npos, log.Added().find("> Missing property (browser). in CScriptlet::SetProperty"));
}

TEST_F(ScriptletTest, SecondAttachIsRefusedAndReattachStartsAFreshScript) {
    WriteMainScript(L"\\count.WSC", {{"DocumentComplete", "seen = (typeof seen == 'number' ? seen : 0) + 1; "
                                                          "browser.Seen = seen;"}});
    auto scriptlet = MakeScriptlet(L"\\count.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    {
        test::LogCapture log;
        EXPECT_EQ(E_FAIL, scriptlet->Attach(&source_));
        EXPECT_NE(std::string::npos, log.Added().find(":<ERROR(-2147467259)> Attach called before detach."));
    }
    EXPECT_EQ(1u, source_.Connections());  // the first connection stays
    FireDocumentComplete(L"u");
    FireDocumentComplete(L"u");
    EXPECT_EQ(2, source_[L"Seen"]->lVal);

    ASSERT_EQ(S_OK, scriptlet->Detach());
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    FireDocumentComplete(L"u");
    EXPECT_EQ(1, source_[L"Seen"]->lVal);  // globals started over
    EXPECT_EQ(3u, bar_.events.size());
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, DetachWithoutConnectionFailsAndIsLogged) {
    auto scriptlet = MakeScriptlet(L"\\never.WSC");
    test::LogCapture log;
    EXPECT_EQ(E_INVALIDARG, scriptlet->Detach());
    EXPECT_NE(std::string::npos,
              log.Added().find(":<ERROR(-2147024809)> Unadvise scriptlet failed. in CScriptlet::Detach"));
    EXPECT_TRUE(bar_.events.empty());
}

TEST_F(ScriptletTest, UnknownTypeLibraryFailsAttachWithItsRecord) {
    WriteMainScript(L"\\main.WSC", {});
    auto scriptlet = MakeScriptlet(L"\\main.WSC", kUnregisteredLibrary);
    test::LogCapture log;
    EXPECT_EQ(E_FAIL, scriptlet->Attach(&source_));
    EXPECT_NE(std::string::npos,
              log.Added().find("> Can not load type library ({0E5E1B0C-0000-4000-8000-00000000BAD0}). in "
                               "CScriptlet::GetTypeInfo at Scriptlet"));
    EXPECT_EQ(0, source_.advises);
}

TEST_F(ScriptletTest, EventInterfaceMissingFromItsLibraryFailsAttachWithItsRecord) {
    WriteMainScript(L"\\main.WSC", {});
    auto scriptlet = MakeScriptlet(L"\\main.WSC", kUndescribedInterface);
    test::LogCapture log;
    EXPECT_EQ(E_FAIL, scriptlet->Attach(&source_));
    EXPECT_NE(std::string::npos, log.Added().find("> No type info for {0E5E1B0C-0000-4000-8000-00000000BAD1}. in "
                                                  "CScriptlet::GetTypeInfo at Scriptlet"));
}

TEST_F(ScriptletTest, PropertyThatCannotBeSetFailsAttachBeforeAdvise) {
    // "browser" is a method here, so the script refuses the property put.
    test::WriteFileBytes(root_ / L"method.WSC", test::WscFile({{"browser", test::WscMemberKind::Method}},
                                                              "            function browser() {}\r\n"));
    auto scriptlet = MakeScriptlet(L"\\method.WSC");
    test::LogCapture log;
    const HRESULT hr = scriptlet->Attach(&source_);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(0, source_.advises);
    EXPECT_NE(std::string::npos, log.Added().find(":<ERROR(" + std::to_string(hr) +
                                                  ")> Can not set browser property. in CScriptlet::SetProperty"));
}

TEST_F(ScriptletTest, SourceWithoutConnectionPointsFailsTheAdviseAndKeepsTheScript) {
    WriteMainScript(L"\\main.WSC", {});
    test::FakeDispatch plainObject;
    auto scriptlet = MakeScriptlet(L"\\main.WSC");
    test::LogCapture log;
    EXPECT_EQ(E_NOINTERFACE, scriptlet->Attach(&plainObject));
    EXPECT_NE(std::string::npos,
              log.Added().find(":<ERROR(-2147467262)> Advise scriptlet failed. in CScriptlet::Attach"));
    EXPECT_FALSE(scriptlet->IsAttached());
    EXPECT_TRUE(bar_.events.empty());
    // The source was stored before the advise failed and the script holds it in its
    // property; both let it go with the scriptlet.
    EXPECT_EQ(3, plainObject.References());
    scriptlet.reset();
    EXPECT_EQ(1, plainObject.References());
}

TEST_F(ScriptletTest, FailingForwardedCallIsLoggedAsAPropertyFailure) {
    WriteMainScript(L"\\throws.WSC", {{"DocumentComplete", "throw new Error('no');"}});
    auto scriptlet = MakeScriptlet(L"\\throws.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    test::LogCapture log;
    EXPECT_TRUE(FAILED(FireDocumentComplete(L"u", DISPATCH_METHOD | DISPATCH_PROPERTYGET)));
    EXPECT_NE(std::string::npos,
              log.Added().find("> Invoke of DocumentComplete scriptlet property failed. in CScriptlet::Invoke"));
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, EventWithoutScriptObjectIsRefused) {
    auto scriptlet = MakeScriptlet(L"\\none.WSC");
    DISPPARAMS none{};
    test::LogCapture log;
    EXPECT_EQ(E_FAIL, scriptlet->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                                        nullptr, nullptr));
    EXPECT_NE(std::string::npos, log.Added().find("> Scriptlet object is NULL. in CScriptlet::Invoke"));
    EXPECT_TRUE(scriptlet->hookedEvents.empty());
}

TEST_F(ScriptletTest, AnswersOnlyIUnknownAndIDispatchAndCountsInTheModuleLock) {
    const LONG before = test::ModuleLockCount();
    {
        auto scriptlet = MakeScriptlet(L"\\x.WSC");
        EXPECT_EQ(before + 1, test::ModuleLockCount());
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, scriptlet->QueryInterface(kBrowserEvents, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(E_NOINTERFACE, scriptlet->QueryInterface(GUID_NULL, &out));
        EXPECT_EQ(E_POINTER, scriptlet->QueryInterface(IID_IDispatch, nullptr));
        com::ComPtr<IDispatch> dispatch;
        EXPECT_EQ(S_OK, scriptlet->QueryInterface(IID_IDispatch, dispatch.put_void()));
        EXPECT_EQ(test::kBrowserEventsId + L"\\x.WSC", scriptlet->AttachmentLabel());
        EXPECT_EQ(L"script:" + root_.path() + L"\\x.WSC", scriptlet->MonikerName());
    }
    EXPECT_EQ(before, test::ModuleLockCount());
}

TEST_F(ScriptletTest, ReleasingAnAttachedScriptletAfterDetachFreesTheSource) {
    WriteMainScript(L"\\main.WSC", {});
    const long before = source_.References();
    {
        auto scriptlet = MakeScriptlet(L"\\main.WSC");
        ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
        ASSERT_EQ(S_OK, scriptlet->Detach());
    }
    EXPECT_EQ(before, source_.References());
}

TEST_F(ScriptletTest, EventCompletesAgainstTheScriptObjectItBeganWithWhenTheHookReattaches) {
    WriteMainScript(L"\\count.WSC", {{"DocumentComplete", "seen = (typeof seen == 'number' ? seen : 0) + 1; "
                                                          "browser.Seen = seen;"}});
    auto scriptlet = MakeScriptlet(L"\\count.WSC");
    ASSERT_EQ(S_OK, scriptlet->Attach(&source_));
    ASSERT_EQ(S_OK, FireDocumentComplete(L"u"));
    ASSERT_EQ(1, source_[L"Seen"]->lVal);

    // The hook swaps the script object under the event already on its way.
    bool reattach = true;
    scriptlet->onHook = [&] {
        if (!std::exchange(reattach, false)) return;
        EXPECT_EQ(S_OK, scriptlet->Detach());
        EXPECT_EQ(S_OK, scriptlet->Attach(&source_));
    };
    EXPECT_EQ(S_OK, FireDocumentComplete(L"u"));
    EXPECT_EQ(2, source_[L"Seen"]->lVal) << "the event reached the object whose function was looked up";
    EXPECT_EQ(S_OK, FireDocumentComplete(L"u"));
    EXPECT_EQ(1, source_[L"Seen"]->lVal) << "later events reach the fresh script object";
    EXPECT_EQ(S_OK, scriptlet->Detach());
}

TEST_F(ScriptletTest, MemoryRunningOutOnceConnectedOrDisconnectedChangesNeitherTheStateNorTheAnswer) {
    WriteMainScript(L"\\main.WSC", {});
    auto scriptlet = MakeScriptlet(L"\\main.WSC");
    test::AllocationFailure memory;
    source_.afterAdvise = [&] { memory.Arm(); };
    source_.afterUnadvise = [&] { memory.Arm(); };

    const HRESULT attached = scriptlet->Attach(&source_);
    memory.Disarm();
    EXPECT_GT(test::AllocationFailure::Refused(), 0u) << "something was refused after the advise";
    EXPECT_EQ(S_OK, attached);
    EXPECT_TRUE(scriptlet->IsAttached());
    EXPECT_EQ(1u, source_.Connections());

    const HRESULT detached = scriptlet->Detach();
    memory.Disarm();
    EXPECT_GT(test::AllocationFailure::Refused(), 0u) << "something was refused after the unadvise";
    EXPECT_EQ(S_OK, detached);
    EXPECT_FALSE(scriptlet->IsAttached());
    EXPECT_EQ(0u, source_.Connections());
    // The bar could not take either label; it was told nothing half-made.
    EXPECT_TRUE(bar_.events.empty());
}

}  // namespace
}  // namespace pelmora
