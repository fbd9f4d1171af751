#include "framework/com/ConnectionPoint.h"

#include <olectl.h>

#include "framework/com/ComBase.h"
#include "framework/com/ExceptionBarrier.h"
#include "framework/com/SnapshotEnumerator.h"

namespace pelmora::com {

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    const InterfaceEntry entries[] = {{&IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}};
    return QueryInterfaceFromTable(entries, iid, out);
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(sinkInterface_, dispatch.put_void())) || !dispatch) return CONNECT_E_CANNOTCONNECT;
    return ExceptionBarrier([&] {
        win::CriticalSectionLock guard(lock_);
        sinks_.push_back(std::move(dispatch));
        *cookie = static_cast<DWORD>(sinks_.size());
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    ComPtr<IDispatch> released;  // released after the lock: the sink may call back
    {
        win::CriticalSectionLock guard(lock_);
        if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
        released = std::move(sinks_[cookie - 1]);
    }
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (!connections) return E_POINTER;
    *connections = nullptr;
    return ExceptionBarrier([&] {
        win::CriticalSectionLock guard(lock_);
        std::vector<CONNECTDATA> live;
        for (size_t slot = 0; slot < sinks_.size(); ++slot) {
            if (sinks_[slot]) live.push_back({sinks_[slot].get(), static_cast<DWORD>(slot + 1)});
        }
        // Made under the lock, so no sink can go before the enumerator holds it.
        return ConnectionsEnumerator::Create(live.data(), live.size(), connections);
    });
}

HRESULT ConnectionPoint::EnumerateAsOnlyPoint(IEnumConnectionPoints** points) noexcept {
    IConnectionPoint* const self = this;
    return ConnectionPointsEnumerator::Create(&self, 1, points);
}

HRESULT ConnectionPoint::Find(REFIID iid, IConnectionPoint** point) noexcept {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, events_)) return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
}

void ConnectionPoint::Fire(DISPID id, DISPPARAMS* params) noexcept {
    // Slots only grow; a sink advised during the round is called too.
    for (size_t slot = 0;; ++slot) {
        ComPtr<IDispatch> sink;  // alive through its own Unadvise
        {
            win::CriticalSectionLock guard(lock_);
            if (slot >= sinks_.size()) break;
            sink = sinks_[slot];
        }
        if (!sink) continue;
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    }
}

void ConnectionPoint::FireFromSnapshot(DISPID id, DISPPARAMS* params) noexcept {
    std::vector<ComPtr<IDispatch>> round;  // holds each sink through the whole round
    try {
        win::CriticalSectionLock guard(lock_);
        for (const ComPtr<IDispatch>& sink : sinks_)
            if (sink) round.push_back(sink);
    } catch (...) {
        return;  // no memory for the round: nobody is called, as when the source fails
    }
    for (const ComPtr<IDispatch>& sink : round)
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
}

void ConnectionPoint::Clear() noexcept {
    std::vector<ComPtr<IDispatch>> released;
    {
        win::CriticalSectionLock guard(lock_);
        released.swap(sinks_);
    }
}

size_t ConnectionPoint::ConnectionCount() const noexcept {
    win::CriticalSectionLock guard(lock_);
    size_t live = 0;
    for (const ComPtr<IDispatch>& sink : sinks_) live += sink ? 1 : 0;
    return live;
}

}  // namespace pelmora::com
