#pragma once
// One connection point of an event source: dispatch sinks in slots, cookie = slot
// index + 1; Unadvise clears the slot, which is never handed out again, so a stale
// cookie cannot disconnect a later sink. The point lives inside its container and
// counts its references there. The slots are guarded by a lock of the point's own;
// sinks are called and released outside it, as they may call back.
#include <ocidl.h>

#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/win/CriticalSection.h"

namespace pelmora::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    // container: the object that holds this point (not counted here). A sink must
    // answer sinkInterface (a dispinterface, so the answer is a dispatch pointer);
    // the browser's points take any dispatch sink.
    ConnectionPoint(IConnectionPointContainer* container, REFIID events, REFIID sinkInterface = IID_IDispatch) noexcept
        : container_(container), events_(events), sinkInterface_(sinkInterface) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Answers FindConnectionPoint and EnumConnectionPoints for a container whose only
    // point this is.
    HRESULT Find(REFIID iid, IConnectionPoint** point) noexcept;
    HRESULT EnumerateAsOnlyPoint(IEnumConnectionPoints** points) noexcept;

    // Calls every sink advised at the time of its turn; a sink unadvised by an earlier
    // one in the same round is skipped. Sink failures do not stop the round.
    void Fire(DISPID id, DISPPARAMS* params) noexcept;
    // Calls the sinks advised when the round began, as the browser's points do: one
    // that an earlier sink unadvises meanwhile is still called in this round, and one
    // advised during it waits for the next. Sink failures do not stop the round.
    void FireFromSnapshot(DISPID id, DISPPARAMS* params) noexcept;

    // Drops every sink (the source goes away).
    void Clear() noexcept;
    [[nodiscard]] size_t ConnectionCount() const noexcept;

private:
    IConnectionPointContainer* container_;
    IID events_;
    IID sinkInterface_;
    mutable win::CriticalSection lock_;
    std::vector<ComPtr<IDispatch>> sinks_;
};

}  // namespace pelmora::com
