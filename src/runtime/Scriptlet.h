#pragma once
// A user script connected as an event sink. The scriptlet creates the script object
// from its file through the "script:" moniker, hands it the event source in a named
// property, advises itself on the source's connection point, and turns every event
// call into a call of the script function named after the event, with one Params
// argument whose [out] values flow back to the source.
#include <oaidl.h>

#include <map>
#include <memory>
#include <string>

#include "framework/com/ComPtr.h"
#include "runtime/DispatchImpl.h"
#include "runtime/EventInterfaces.h"
#include "runtime/EventSignature.h"

namespace pelmora {

class CScriptlet : public CDispatchImpl {
public:
    // events: the entry of the event-interface table this scriptlet receives, which
    // lives for the process. scriptPath is relative to scriptRoot and begins with a
    // backslash.
    CScriptlet(const EventInterface& events, std::wstring scriptRoot, std::wstring scriptPath);

    using CDispatchImpl::GetTypeInfo;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // Runs before an event reaches the script; anything but 0 ends the call with that value.
    virtual HRESULT PreInvoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argumentError);
    virtual HRESULT Attach(IDispatch* source);
    virtual HRESULT Detach();
    virtual HRESULT SetProperty(const std::wstring& name, VARIANT* value);
    // The event interface's IID, from the table entry.
    virtual const IID& GetEventIID() const;

    // Creates a fresh script object from the file.
    HRESULT Load();
    // The event interface's type information (the caller's reference), or none.
    com::ComPtr<ITypeInfo> GetTypeInfo();
    // The type information of an event interface, loaded once and kept for the process
    // (the caller's reference), or none; a failed load is logged and tried again by the
    // next call.
    static com::ComPtr<ITypeInfo> GetTypeInfo(const EventInterface& events) noexcept;
    // How many calls into scriptlets this thread is in right now: a script may run a
    // modal loop in its event, in which other messages of the thread arrive.
    static int CallsInProgress() noexcept;

    // The event interface id followed by the script path: the scriptlet's entry in
    // the form's list of attached scripts.
    [[nodiscard]] std::wstring AttachmentLabel() const { return events_->eventInterfaceId + scriptPath_; }
    [[nodiscard]] const std::wstring& ScriptPath() const noexcept { return scriptPath_; }
    [[nodiscard]] const std::wstring& MonikerName() const noexcept { return monikerName_; }
    [[nodiscard]] bool IsAttached() const noexcept { return adviseCookie_ != 0; }

    // The script object of the last load, or none; not a reference of the caller's.
    [[nodiscard]] IDispatch* ScriptObject() const noexcept { return scriptObject_.get(); }

protected:
    ~CScriptlet() override;

    [[nodiscard]] IDispatch* EventSource() const noexcept { return eventSource_.get(); }

private:
    // What one event comes to in a script object: the event's signature, the script
    // function named after it, and how finding each went.
    struct EventBinding {
        std::shared_ptr<const CEventSignature> signature;
        HRESULT nameResult = E_FAIL;
        DISPID scriptId = DISPID_UNKNOWN;
        HRESULT lookupResult = E_FAIL;
    };
    static EventBinding Bind(IDispatch* script, ITypeInfo* eventTypeInfo, DISPID eventId, LCID lcid);
    // The binding of eventId for script, kept while script and eventTypeInfo are the
    // scriptlet's own: a script object's names keep their ids for its lifetime.
    EventBinding FindBinding(IDispatch* script, ITypeInfo* eventTypeInfo, DISPID eventId, LCID lcid);

    HRESULT Connect();
    HRESULT Disconnect();

    const EventInterface* events_;
    DWORD adviseCookie_ = 0;
    // Released in reverse: type information, then source, then script object.
    com::ComPtr<IDispatch> scriptObject_;
    com::ComPtr<IDispatch> eventSource_;
    com::ComPtr<ITypeInfo> eventTypeInfo_;
    std::map<DISPID, EventBinding> bindings_;  // of scriptObject_ and eventTypeInfo_, emptied with either
    std::wstring scriptRoot_;
    std::wstring scriptPath_;
    std::wstring monikerName_;
};

}  // namespace pelmora
