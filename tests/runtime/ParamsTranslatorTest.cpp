#include <gtest/gtest.h>

#include <vector>

#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"
#include "runtime/ParamsTranslator.h"

namespace pelmora {
namespace {

using test::BoolValue;
using test::CountingDispatch;
using test::GetProperty;
using test::IntValue;
using test::LookUp;
using test::PutProperty;
using test::StringOf;
using test::StringValue;

VARIANTARG ReferenceTo(com::Variant& value) {
    VARIANTARG argument;
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = value.get();
    return argument;
}

VARIANTARG FrameArgument(IDispatch* frame) {
    VARIANTARG argument;
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = frame;  // borrowed, as the browser lends it for the call
    return argument;
}

VARIANTARG FlagReference(VARIANT_BOOL* flag) {
    VARIANTARG argument;
    V_VT(&argument) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&argument) = flag;
    return argument;
}

// DocumentComplete(pDisp, URL) as the browser fires it: URL first, by VARIANT reference.
struct DocumentCompleteCall {
    explicit DocumentCompleteCall(IDispatch* frame)
        : url(StringValue(L"http://example.com/")), arguments{ReferenceTo(url), FrameArgument(frame)} {}

    com::Variant url;
    VARIANTARG arguments[2];
    DISPPARAMS params{arguments, nullptr, 2, 0};
};

// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel) as the
// browser fires it: last argument first, values by VARIANT reference, Cancel by
// VARIANT_BOOL reference. An extra argument can be put in front of Cancel.
struct BeforeNavigate2Call {
    explicit BeforeNavigate2Call(IDispatch* frame, bool withExtraArgument = false)
        : url(StringValue(L"http://example.com/")), headers(StringValue(L"")) {
        if (withExtraArgument) arguments.push_back(FlagReference(&extra));
        arguments.push_back(FlagReference(&cancel));
        for (com::Variant* value : {&headers, &postData, &targetFrame, &flags, &url}) {
            arguments.push_back(ReferenceTo(*value));
        }
        arguments.push_back(FrameArgument(frame));
        params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    }

    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT_BOOL extra = VARIANT_FALSE;
    com::Variant url, flags, targetFrame, postData, headers;
    std::vector<VARIANTARG> arguments;
    DISPPARAMS params{};
};

class ParamsTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browserEvents_); }

    com::ComPtr<CParams> MakeParams(CParamsTranslator& translator) {
        com::ComPtr<CParams> params;
        EXPECT_EQ(S_OK, translator.CreateParams(params));
        return params;
    }

    com::ComPtr<ITypeInfo> browserEvents_ = test::LoadBrowserEventsTypeInfo();
    CountingDispatch frame_;
};

TEST_F(ParamsTranslatorTest, DocumentCompleteGivesUrlThenFrameAsPlainValues) {
    DocumentCompleteCall call(&frame_);
    CParamsTranslator translator(DISPID_DOCUMENTCOMPLETE, &call.params, browserEvents_.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);
    IDispatch* script = made.get();

    EXPECT_EQ(0, LookUp(script, L"URL"));
    EXPECT_EQ(1, LookUp(script, L"pDisp"));
    EXPECT_EQ(L"http://example.com/", StringOf(GetProperty(script, 0)));
    com::Variant frame = GetProperty(script, 1);
    ASSERT_EQ(VT_DISPATCH, V_VT(frame.get()));
    EXPECT_EQ(static_cast<IDispatch*>(&frame_), V_DISPATCH(frame.get()));

    DISPID next = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, made->GetNextDispID(fdexEnumAll, DISPID_STARTENUM, &next));
    EXPECT_EQ(0, next);
    ASSERT_EQ(S_OK, made->GetNextDispID(fdexEnumAll, next, &next));
    EXPECT_EQ(1, next);
    EXPECT_EQ(S_FALSE, made->GetNextDispID(fdexEnumAll, next, &next));
    com::Bstr name;
    ASSERT_EQ(S_OK, made->GetMemberName(1, name.put()));
    EXPECT_EQ(L"pDisp", name.str());
}

TEST_F(ParamsTranslatorTest, NamesMatchExactlyAndAliasIdsReadTheSameMembers) {
    DocumentCompleteCall call(&frame_);
    CParamsTranslator translator(DISPID_DOCUMENTCOMPLETE, &call.params, browserEvents_.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);

    LPOLESTR lowerCase[1] = {const_cast<wchar_t*>(L"url")};
    DISPID id = 77;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, made->GetIDsOfNames(IID_NULL, lowerCase, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(77, id);
    LPOLESTR twoNames[2] = {const_cast<wchar_t*>(L"pDisp"), const_cast<wchar_t*>(L"Missing")};
    DISPID ids[2] = {77, 77};
    EXPECT_EQ(S_OK, made->GetIDsOfNames(IID_NULL, twoNames, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(1, ids[0]);
    EXPECT_EQ(77, ids[1]);

    EXPECT_EQ(L"http://example.com/", StringOf(GetProperty(made.get(), 2)));
    EXPECT_EQ(VT_DISPATCH, V_VT(GetProperty(made.get(), 3).get()));
    com::Variant untouched(IntValue(5));
    DISPPARAMS none = {};
    EXPECT_EQ(S_OK, made->Invoke(4, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, untouched.get(), nullptr, nullptr));
    EXPECT_EQ(5, V_I4(untouched.get()));
}

TEST_F(ParamsTranslatorTest, CancelSetByScriptReachesTheBrowserButUrlDoesNot) {
    BeforeNavigate2Call call(&frame_);
    CParamsTranslator translator(DISPID_BEFORENAVIGATE2, &call.params, browserEvents_.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);
    ASSERT_EQ(7u, made->ValueCount());

    EXPECT_EQ(S_OK, PutProperty(made.get(), LookUp(made.get(), L"Cancel"), BoolValue(true)));
    EXPECT_EQ(S_OK, PutProperty(made.get(), LookUp(made.get(), L"URL"), *StringValue(L"http://elsewhere/").get()));
    EXPECT_EQ(VARIANT_FALSE, call.cancel) << "written before the script returned";
    EXPECT_EQ(S_OK, translator.WriteBack());

    EXPECT_EQ(VARIANT_TRUE, call.cancel);
    EXPECT_EQ(L"http://example.com/", StringOf(call.url));
}

// Every event of DWebBrowserEvents2 fired with all its arguments by reference: after the
// script set every Params value, exactly the parameters the type library declares
// [out] reach the caller, whichever way the event's description is found.
TEST_F(ParamsTranslatorTest, EveryBrowserEventWritesBackExactlyItsDeclaredOutParameters) {
    com::TypeAttrHolder attributes;
    ASSERT_EQ(S_OK, browserEvents_->GetTypeAttr(attributes.put(browserEvents_.get())));
    ASSERT_TRUE(attributes);
    int eventsWithOut = 0;
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        com::FuncDescHolder description;
        ASSERT_EQ(S_OK, browserEvents_->GetFuncDesc(index, description.put(browserEvents_.get())));
        const DISPID id = description->memid;
        const UINT count = static_cast<UINT>(description->cParams);
        SCOPED_TRACE(testing::Message() << "DISPID " << id);
        if (count == 0) continue;
        std::vector<com::Variant> values(count);
        std::vector<VARIANTARG> arguments;
        for (com::Variant& value : values) {
            V_VT(value.get()) = VT_I4;
            V_I4(value.get()) = 0;
            arguments.push_back(ReferenceTo(value));
        }
        DISPPARAMS params{arguments.data(), nullptr, count, 0};
        CParamsTranslator translator(id, &params, browserEvents_.get());
        com::ComPtr<CParams> made = MakeParams(translator);
        ASSERT_TRUE(made);
        BSTR names[20] = {};
        UINT named = 0;
        ASSERT_EQ(S_OK, browserEvents_->GetNames(id, names, 20, &named));
        for (UINT name = 1; name < named; ++name) {
            EXPECT_EQ(S_OK, PutProperty(made.get(), LookUp(made.get(), names[name]), IntValue(7)));
        }
        for (UINT name = 0; name < named; ++name) ::SysFreeString(names[name]);
        EXPECT_EQ(S_OK, translator.WriteBack());

        bool anyOut = false;
        for (UINT position = 0; position < count; ++position) {
            const bool out = (description->lprgelemdescParam[position].paramdesc.wParamFlags & PARAMFLAG_FOUT) != 0;
            anyOut = anyOut || out;
            const VARIANT& value = *values[count - 1 - position].get();  // the last declared comes first
            ASSERT_EQ(VT_I4, V_VT(&value)) << "parameter " << position;
            EXPECT_EQ(out ? 7 : 0, V_I4(&value)) << "parameter " << position;
        }
        eventsWithOut += anyOut ? 1 : 0;
    }
    EXPECT_GE(eventsWithOut, 3);  // BeforeNavigate2, NewWindow2 and NavigateError at least
}

TEST_F(ParamsTranslatorTest, CancelPassedAsVariantReferenceIsReplacedWhole) {
    BeforeNavigate2Call call(&frame_);
    com::Variant cancel(BoolValue(false));
    call.arguments[0] = ReferenceTo(cancel);
    CParamsTranslator translator(DISPID_BEFORENAVIGATE2, &call.params, browserEvents_.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);
    EXPECT_EQ(VT_BOOL, V_VT(GetProperty(made.get(), LookUp(made.get(), L"Cancel")).get()));

    EXPECT_EQ(S_OK, PutProperty(made.get(), LookUp(made.get(), L"Cancel"), BoolValue(true)));
    EXPECT_EQ(S_OK, translator.WriteBack());
    ASSERT_EQ(VT_BOOL, V_VT(cancel.get()));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(cancel.get()));
}

TEST_F(ParamsTranslatorTest, ArgumentBeyondTheDeclarationIsUnnamedAndNeverWrittenBack) {
    BeforeNavigate2Call call(&frame_, true);
    CParamsTranslator translator(DISPID_BEFORENAVIGATE2, &call.params, browserEvents_.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);
    ASSERT_EQ(8u, made->ValueCount());
    EXPECT_EQ(0, LookUp(made.get(), L""));
    EXPECT_EQ(1, LookUp(made.get(), L"Cancel"));
    EXPECT_EQ(7, LookUp(made.get(), L"pDisp"));

    EXPECT_EQ(S_OK, PutProperty(made.get(), 0, BoolValue(true)));
    EXPECT_EQ(S_OK, PutProperty(made.get(), 1, BoolValue(true)));
    EXPECT_EQ(S_OK, translator.WriteBack());
    EXPECT_EQ(VARIANT_TRUE, call.cancel);
    EXPECT_EQ(VARIANT_FALSE, call.extra);
}

TEST_F(ParamsTranslatorTest, CallsWithoutUsableArgumentsGiveParamsWithoutMembers) {
    BeforeNavigate2Call call(&frame_);
    DISPPARAMS noArray = {nullptr, nullptr, 7, 0};
    std::vector<VARIANTARG> twenty(20);
    for (VARIANTARG& argument : twenty) ::VariantInit(&argument);
    DISPPARAMS tooMany = {twenty.data(), nullptr, 20, 0};
    DISPPARAMS empty = {};
    com::ComPtr<ITypeInfo> windowEvents = test::LoadWindowEventsTypeInfo();
    ASSERT_TRUE(windowEvents);
    struct Case {
        const char* what;
        DISPID event;
        DISPPARAMS* params;
        ITypeInfo* typeInfo;
    } cases[] = {
        {"no DISPPARAMS", DISPID_BEFORENAVIGATE2, nullptr, browserEvents_.get()},
        {"no argument array", DISPID_BEFORENAVIGATE2, &noArray, browserEvents_.get()},
        {"twenty arguments", DISPID_BEFORENAVIGATE2, &tooMany, browserEvents_.get()},
        {"unknown event", 9999, &call.params, browserEvents_.get()},
        {"onload", DISPID_HTMLWINDOWEVENTS_ONLOAD, &empty, windowEvents.get()},
    };
    for (const Case& tried : cases) {
        SCOPED_TRACE(tried.what);
        CParamsTranslator translator(tried.event, tried.params, tried.typeInfo);
        com::ComPtr<CParams> made = MakeParams(translator);
        ASSERT_TRUE(made);
        EXPECT_EQ(0u, made->ValueCount());
        DISPID next = 42;
        EXPECT_EQ(S_FALSE, made->GetNextDispID(fdexEnumAll, DISPID_STARTENUM, &next));
        EXPECT_EQ(S_FALSE, translator.WriteBack());
    }
    EXPECT_EQ(VARIANT_FALSE, call.cancel);
}

TEST_F(ParamsTranslatorTest, WindowErrorArgumentsComeLastDeclaredFirst) {
    com::ComPtr<ITypeInfo> windowEvents = test::LoadWindowEventsTypeInfo();
    ASSERT_TRUE(windowEvents);
    com::Variant description = StringValue(L"boom");
    com::Variant url = StringValue(L"http://example.com/");
    VARIANTARG arguments[3] = {IntValue(12), *url.get(), *description.get()};
    DISPPARAMS params = {arguments, nullptr, 3, 0};
    CParamsTranslator translator(DISPID_HTMLWINDOWEVENTS_ONERROR, &params, windowEvents.get());
    com::ComPtr<CParams> made = MakeParams(translator);
    ASSERT_TRUE(made);
    EXPECT_EQ(0, LookUp(made.get(), L"line"));
    EXPECT_EQ(1, LookUp(made.get(), L"url"));
    EXPECT_EQ(2, LookUp(made.get(), L"description"));
    EXPECT_EQ(L"boom", StringOf(GetProperty(made.get(), 2)));
}

TEST_F(ParamsTranslatorTest, ObjectWrittenIntoNewWindowReferenceKeepsCountsBalanced) {
    CountingDispatch oldWindow;
    CountingDispatch newWindow;
    IDispatch* windowSlot = &oldWindow;  // the slot owns oldWindow's one reference
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG arguments[2] = {FlagReference(&cancel), {}};
    V_VT(&arguments[1]) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&arguments[1]) = &windowSlot;
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    {
        CParamsTranslator translator(DISPID_NEWWINDOW2, &params, browserEvents_.get());
        com::ComPtr<CParams> made = MakeParams(translator);
        ASSERT_TRUE(made);
        EXPECT_EQ(2, oldWindow.References()) << "Params holds its own copy";
        VARIANT replacement;
        V_VT(&replacement) = VT_DISPATCH;
        V_DISPATCH(&replacement) = &newWindow;
        EXPECT_EQ(S_OK, PutProperty(made.get(), LookUp(made.get(), L"ppDisp"), replacement));
        EXPECT_EQ(S_OK, translator.WriteBack());
        EXPECT_EQ(static_cast<IDispatch*>(&newWindow), windowSlot);
    }
    EXPECT_EQ(0, oldWindow.References()) << "the slot's reference was given back";
    EXPECT_EQ(2, newWindow.References()) << "its creator's and the slot's";
}

TEST_F(ParamsTranslatorTest, ParamsKeptByTheScriptOutlivesTheCallAndThenUnlocksTheModule) {
    const LONG locksBefore = test::ModuleLockCount();
    com::ComPtr<CParams> kept;
    {
        BeforeNavigate2Call call(&frame_);
        CParamsTranslator translator(DISPID_BEFORENAVIGATE2, &call.params, browserEvents_.get());
        kept = MakeParams(translator);
        ASSERT_TRUE(kept);
        EXPECT_EQ(locksBefore + 2, test::ModuleLockCount()) << "the Params object and its type information";
    }
    EXPECT_EQ(locksBefore + 2, test::ModuleLockCount());
    EXPECT_EQ(L"http://example.com/", StringOf(GetProperty(kept.get(), LookUp(kept.get(), L"URL"))));
    EXPECT_EQ(2, frame_.References());
    kept.reset();
    EXPECT_EQ(locksBefore, test::ModuleLockCount());
    EXPECT_EQ(1, frame_.References());
}

}  // namespace
}  // namespace pelmora
