#include "runtime/Scriptlet.h"

#include <ocidl.h>

#include <cstdint>
#include <new>
#include <string>

#include "core/Logger.h"
#include "framework/com/ExcepInfo.h"
#include "framework/com/ExceptionBarrier.h"
#include "framework/com/Variant.h"
#include "framework/win/Ansi.h"
#include "framework/win/HResult.h"
#include "runtime/BarNotifications.h"
#include "runtime/ParamsTranslator.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "Scriptlet";
constexpr LCID kSystemLocale = LOCALE_SYSTEM_DEFAULT;  // 0x0800

// Script calls in progress on each thread. Kept in a slot of the system's own: the
// compiler's thread_local goes through the toolchain's thread runtime, which makes
// system objects of its own for every thread and leaves them behind when the DLL is
// unloaded, in a browser that stays open for days.
class CallsInProgressSlot {
public:
    CallsInProgressSlot() noexcept : slot_(::TlsAlloc()) {}
    ~CallsInProgressSlot() {
        if (slot_ != TLS_OUT_OF_INDEXES) ::TlsFree(slot_);
    }
    CallsInProgressSlot(const CallsInProgressSlot&) = delete;
    CallsInProgressSlot& operator=(const CallsInProgressSlot&) = delete;

    [[nodiscard]] int Get() const noexcept {
        return slot_ == TLS_OUT_OF_INDEXES ? 0 : static_cast<int>(reinterpret_cast<intptr_t>(::TlsGetValue(slot_)));
    }
    void Add(int change) const noexcept {
        if (slot_ != TLS_OUT_OF_INDEXES) ::TlsSetValue(slot_, reinterpret_cast<void*>(intptr_t{Get() + change}));
    }

private:
    DWORD slot_;
};
// Made as the DLL loads, before any thread can call a script.
const CallsInProgressSlot callsInProgress;

// The script's own account of its failure, for the person who writes the script;
// false when the script runtime gave none.
bool ScriptErrorRecord(com::ExcepInfo& exception, HRESULT hr, std::wstring& text, HRESULT& code) {
    exception.FillIn();
    const std::wstring description = exception.Description();
    const std::wstring source = exception.Source();
    if (description.empty() && source.empty()) return false;
    text = L"Script error: " + (description.empty() ? std::wstring(L"(no description)") : description);
    if (!source.empty()) text += L" (source: " + source + L")";
    code = FAILED(exception.get().scode) ? exception.get().scode : hr;
    return true;
}

// Tells the current bar what became of a scriptlet. The scriptlet's state is settled
// by then, so a bar that cannot take the news (out of memory) changes nothing of it.
void TellCurrentBar(void (IBarNotifications::*notify)(const std::wstring&), const std::wstring& label) noexcept {
    try {
        if (const auto bar = GetCurrentBarSlot()) (bar.get()->*notify)(label);
    } catch (...) {
    }
}


}  // namespace

CScriptlet::CScriptlet(const EventInterface& events, std::wstring scriptRoot, std::wstring scriptPath)
    : events_(&events),
      scriptRoot_(std::move(scriptRoot)),
      scriptPath_(std::move(scriptPath)),
      monikerName_(L"script:" + scriptRoot_ + scriptPath_) {}

CScriptlet::~CScriptlet() = default;

const IID& CScriptlet::GetEventIID() const { return events_->eventIid; }

HRESULT CScriptlet::Load() {
    return com::ExceptionBarrier([&] {
        scriptObject_.reset();
        bindings_.clear();
        const HRESULT hr = ::CoGetObject(monikerName_.c_str(), nullptr, IID_IDispatch, scriptObject_.put_void());
        if (FAILED(hr)) {
            scriptObject_.reset();
            PELMORA_LOG(LOG_ERROR, L"Can not create scriptlet object (" + monikerName_ + L").", hr, "CScriptlet::Load");
            return hr;
        }
        return S_OK;
    });
}

com::ComPtr<ITypeInfo> CScriptlet::GetTypeInfo() { return GetTypeInfo(*events_); }

com::ComPtr<ITypeInfo> CScriptlet::GetTypeInfo(const EventInterface& events) noexcept {
    try {
        if (auto cached = FindCachedEventTypeInfo(events)) return cached;
        GUID libraryId{};
        if (FAILED(::CLSIDFromString(events.typeLibraryId, &libraryId))) return {};
        com::ComPtr<ITypeLib> library;
        HRESULT hr = ::LoadRegTypeLib(libraryId, events.typeLibraryMajorVersion, 0, kSystemLocale, library.put());
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, L"Can not load type library (" + std::wstring(events.typeLibraryId) + L").", hr,
                        "CScriptlet::GetTypeInfo");
            return {};
        }
        GUID interfaceId{};
        (void)::CLSIDFromString(events.eventInterfaceId, &interfaceId);
        com::ComPtr<ITypeInfo> typeInfo;
        hr = library->GetTypeInfoOfGuid(interfaceId, typeInfo.put());
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, L"No type info for " + std::wstring(events.eventInterfaceId) + L".", hr,
                        "CScriptlet::GetTypeInfo");
            return {};
        }
        return CacheEventTypeInfo(events, std::move(typeInfo));
    } catch (...) {
        return {};
    }
}

HRESULT CScriptlet::SetProperty(const std::wstring& name, VARIANT* value) {
    return com::ExceptionBarrier([&] {
        if (!scriptObject_) return E_FAIL;
        DISPID id = DISPID_UNKNOWN;
        auto* names = const_cast<LPOLESTR>(name.c_str());
        HRESULT hr = scriptObject_->GetIDsOfNames(IID_NULL, &names, 1, kSystemLocale, &id);
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, L"Missing property (" + name + L").", hr, "CScriptlet::SetProperty");
            return hr;
        }
        // Always by reference: the value is an object.
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS arguments{value, &putId, 1, 1};
        hr = scriptObject_->Invoke(id, IID_NULL, kSystemLocale, DISPATCH_PROPERTYPUTREF, &arguments, nullptr, nullptr,
                                   nullptr);
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, L"Can not set " + name + L" property.", hr, "CScriptlet::SetProperty");
            return hr;
        }
        return S_OK;
    });
}

HRESULT CScriptlet::Attach(IDispatch* source) {
    return com::ExceptionBarrier([&] {
        if (adviseCookie_ != 0) {
            PELMORA_LOG(LOG_ERROR, "Attach called before detach.", E_FAIL, "CScriptlet::Attach");
            return E_FAIL;
        }
        eventTypeInfo_ = GetTypeInfo();
        bindings_.clear();
        if (!eventTypeInfo_) return E_FAIL;
        PELMORA_RETURN_IF_FAILED(Load());

        com::Variant value;
        value->vt = VT_DISPATCH;
        value->pdispVal = source;
        if (source) source->AddRef();
        PELMORA_RETURN_IF_FAILED(SetProperty(events_->propertyName, value.get()));
        value.Clear();

        // Made before the advise: once connected, nothing may turn the attach into a failure.
        const std::wstring label = AttachmentLabel();
        eventSource_ = com::ComPtr<IDispatch>(source);
        const HRESULT hr = Connect();
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, "Advise scriptlet failed.", hr, "CScriptlet::Attach");
            return hr;
        }
        TellCurrentBar(&IBarNotifications::OnScriptletAttached, label);
        return S_OK;
    });
}

HRESULT CScriptlet::Connect() {
    if (!eventSource_) return E_INVALIDARG;
    com::ComPtr<IConnectionPointContainer> container;
    PELMORA_RETURN_IF_FAILED(eventSource_.As(container));
    com::ComPtr<IConnectionPoint> point;
    PELMORA_RETURN_IF_FAILED(container->FindConnectionPoint(GetEventIID(), point.put()));
    DWORD cookie = 0;
    PELMORA_RETURN_IF_FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie));
    adviseCookie_ = cookie;
    return S_OK;
}

HRESULT CScriptlet::Detach() {
    return com::ExceptionBarrier([&] {
        // Made before the unadvise: once disconnected, nothing may turn the detach into a failure.
        const std::wstring label = AttachmentLabel();
        const HRESULT hr = Disconnect();
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, "Unadvise scriptlet failed.", hr, "CScriptlet::Detach");
            return hr;
        }
        adviseCookie_ = 0;
        TellCurrentBar(&IBarNotifications::OnScriptletDetached, label);
        return S_OK;
    });
}

HRESULT CScriptlet::Disconnect() {
    if (!eventSource_) return E_INVALIDARG;
    com::ComPtr<IConnectionPointContainer> container;
    PELMORA_RETURN_IF_FAILED(eventSource_.As(container));
    com::ComPtr<IConnectionPoint> point;
    PELMORA_RETURN_IF_FAILED(container->FindConnectionPoint(GetEventIID(), point.put()));
    return point->Unadvise(adviseCookie_);
}

int CScriptlet::CallsInProgress() noexcept { return callsInProgress.Get(); }

HRESULT CScriptlet::PreInvoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return 0; }

STDMETHODIMP CScriptlet::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* argumentError) {
    // The hook or the script may let go of the last references to this scriptlet: a
    // window's unload takes it out of its browser scriptlet and off the window, whose
    // connection point need not hold it while it calls. It lives until the call returns.
    const com::ComPtr<CScriptlet> self(this);
    struct InProgress {
        InProgress() noexcept { callsInProgress.Add(1); }
        ~InProgress() { callsInProgress.Add(-1); }
        InProgress(const InProgress&) = delete;
        InProgress& operator=(const InProgress&) = delete;
    } inProgress;
    return com::ExceptionBarrier([&]() -> HRESULT {
        if (!scriptObject_) {
            PELMORA_LOG(LOG_ERROR, "Scriptlet object is NULL.", E_FAIL, "CScriptlet::Invoke");
            return E_FAIL;
        }
        // The call completes against the script object and type information it began
        // with, even if the hook detaches or re-attaches this scriptlet meanwhile.
        const com::ComPtr<IDispatch> script = scriptObject_;
        const com::ComPtr<ITypeInfo> eventTypeInfo = eventTypeInfo_;
        const HRESULT hook = PreInvoke(id, iid, lcid, flags, params, result, exception, argumentError);
        if (hook != 0) return hook;

        // A copy: the script may re-attach this scriptlet, which empties the kept ones.
        const EventBinding binding = FindBinding(script.get(), eventTypeInfo.get(), id, lcid);
        if (FAILED(binding.nameResult)) {
            PELMORA_LOG(LOG_ERROR, "Can not find function name, unknown DISPID.", binding.nameResult,
                        "CScriptlet::Invoke");
            return binding.nameResult;
        }
        const wchar_t* name = binding.signature->Name(0);
        if (FAILED(binding.lookupResult)) {
            PELMORA_LOG(LOG_ERROR, L"Function " + std::wstring(name) + L" is not implemented.", binding.lookupResult,
                        "CScriptlet::Invoke");
            return E_NOTIMPL;
        }
        if (flags == DISPATCH_METHOD) {
            // The script function of that name, with the one Params argument.
            CParamsTranslator translator(binding.signature, params, eventTypeInfo.get());
            com::ComPtr<CParams> paramsObject;
            HRESULT hr = translator.CreateParams(paramsObject);
            if (FAILED(hr)) {
                PELMORA_LOG(LOG_ERROR, L"Invoke of " + std::wstring(name) + L" scriptlet function failed.", hr,
                            "CScriptlet::Invoke");
                return hr;
            }
            com::Variant argument;
            argument->vt = VT_DISPATCH;
            argument->pdispVal = paramsObject.get();
            if (paramsObject) paramsObject->AddRef();
            com::Variant scriptResult;
            com::ExcepInfo scriptException;
            DISPPARAMS arguments{argument.get(), nullptr, 1, 0};
            hr = script->Invoke(binding.scriptId, iid, lcid, DISPATCH_METHOD, &arguments, scriptResult.get(),
                                scriptException.put(), argumentError);
            if (SUCCEEDED(hr)) {
                (void)translator.WriteBack();  // a value that cannot be copied back stays the caller's
                return hr;
            }
            PELMORA_LOG(LOG_ERROR, L"Invoke of " + std::wstring(name) + L" scriptlet function failed.", hr,
                        "CScriptlet::Invoke");
            std::wstring scriptError;
            HRESULT scriptErrorCode = hr;
            if (ScriptErrorRecord(scriptException, hr, scriptError, scriptErrorCode))
                PELMORA_LOG(LOG_ERROR, scriptError, scriptErrorCode, "CScriptlet::Invoke");
            return hr;
        }

        // Property access and mixed flags go to the script member unchanged.
        const HRESULT hr =
            script->Invoke(binding.scriptId, iid, lcid, flags, params, result, exception, argumentError);
        if (FAILED(hr)) {
            PELMORA_LOG(LOG_ERROR, L"Invoke of " + std::wstring(name) + L" scriptlet property failed.", hr,
                        "CScriptlet::Invoke");
        }
        return hr;
    });
}

CScriptlet::EventBinding CScriptlet::Bind(IDispatch* script, ITypeInfo* eventTypeInfo, DISPID eventId, LCID lcid) {
    EventBinding binding;
    binding.signature = std::make_shared<const CEventSignature>(eventTypeInfo, eventId);
    if (!eventTypeInfo) return binding;  // E_FAIL: nothing to name the event by
    binding.nameResult = binding.signature->NamesResult();
    if (SUCCEEDED(binding.nameResult) && !binding.signature->Name(0)) binding.nameResult = E_FAIL;
    if (FAILED(binding.nameResult)) return binding;
    auto* names = const_cast<LPOLESTR>(binding.signature->Name(0));
    binding.lookupResult = script->GetIDsOfNames(IID_NULL, &names, 1, lcid, &binding.scriptId);
    return binding;
}

CScriptlet::EventBinding CScriptlet::FindBinding(IDispatch* script, ITypeInfo* eventTypeInfo, DISPID eventId,
                                                 LCID lcid) {
    // A hook that re-attached the scriptlet left a call for objects no longer its own.
    if (script != scriptObject_.get() || eventTypeInfo != eventTypeInfo_.get()) {
        return Bind(script, eventTypeInfo, eventId, lcid);
    }
    const auto kept = bindings_.find(eventId);
    if (kept != bindings_.end()) return kept->second;
    return bindings_.emplace(eventId, Bind(script, eventTypeInfo, eventId, lcid)).first->second;
}

}  // namespace pelmora
