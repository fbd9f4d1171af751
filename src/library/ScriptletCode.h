#pragma once
// Writes a new, ready-to-edit script file: a script component whose public interface
// mirrors one event interface (one method per event, taking the single Params
// argument) plus one property, with an empty JScript function for every event.
//
// Use: construct with the event interface's type information, AddProperty once
// ("browser" or "window"), Save with the new file's path.
#include <oaidl.h>

#include <map>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"

namespace pelmora {

class CScriptletCode {
public:
    enum MemberKind : INT32 { kMethod = 0, kProperty = 1 };

    struct Member {
        MemberKind kind = kMethod;
        std::vector<std::wstring> parameterNames;  // empty for properties
    };

    // Members in ordinal order of their UTF-16 code units (capitals before small letters).
    using MemberTable = std::map<std::wstring, Member>;

    explicit CScriptletCode(ITypeInfo* eventTypeInfo);
    virtual ~CScriptletCode();
    CScriptletCode(const CScriptletCode&) = delete;
    CScriptletCode& operator=(const CScriptletCode&) = delete;

    // Both replace any member of the same name.
    void AddProperty(const std::wstring& name);
    void AddMethod(const std::wstring& name, std::vector<std::wstring> parameterNames);

    // Adds every function of the event interface as a method. Functions that cannot be
    // read are skipped; the first such failure is returned, so that a caller never
    // takes an incomplete interface for a whole one.
    HRESULT CollectEventMethods();

    [[nodiscard]] std::wstring BuildPublicSection() const;
    [[nodiscard]] std::wstring BuildScriptBody() const;
    [[nodiscard]] static std::wstring JoinParameters(const std::vector<std::wstring>& names);

    // Collects the events, fills the template and replaces the file at path. S_OK on
    // success; the event interface's failure when it cannot be read (nothing written);
    // E_FAIL when the file cannot be written, after a log record and an error box (an
    // existing file then keeps its old content).
    HRESULT Save(const std::wstring& path) noexcept;

    [[nodiscard]] const MemberTable& Members() const noexcept { return members_; }

private:
    com::ComPtr<ITypeInfo> eventTypeInfo_;
    MemberTable members_;
    std::wstring templateText_;
    HRESULT templateStatus_ = S_OK;
};

}  // namespace pelmora
