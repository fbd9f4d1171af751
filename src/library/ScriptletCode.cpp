#include "library/ScriptletCode.h"

#include <initializer_list>
#include <iterator>
#include <new>
#include <string_view>

#include "core/Logger.h"
#include "framework/com/Bstr.h"
#include "framework/com/MemberNames.h"
#include "framework/com/TypeDescriptions.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/FileErrorBox.h"
#include "framework/ui/ResourceString.h"
#include "framework/win/Ansi.h"
#include "framework/win/FileReplacement.h"
#include "framework/win/HResult.h"
#include "framework/win/ResourceBytes.h"
#include "resources/resource.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "ScriptletCode";
constexpr wchar_t kTemplateResourceType[] = L"WSC_TEMPLATE";
constexpr wchar_t kMessageBoxCaption[] = L"Pelmora";
// GetNames is asked for the function name and at most 19 parameter names.

constexpr wchar_t kCrLf[] = L"\r\n";
const std::wstring kIndent(12, L' ');
const std::wstring kBodyIndent(16, L' ');
const std::wstring kCommentPad(15, L' ');

// Replaces the template's "%s" fields, in order of appearance, by values.
std::wstring FillTemplateFields(std::wstring_view text, const std::vector<std::wstring>& values) {
    std::wstring result;
    size_t field = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t next = text.find(L"%s", at);
        if (next == std::wstring_view::npos) {
            result.append(text.substr(at));
            break;
        }
        result.append(text.substr(at, next - at));
        if (field < values.size()) result.append(values[field]);
        ++field;
        at = next + 2;
    }
    return result;
}

HRESULT NewClsidText(std::wstring& text) {
    GUID id{};
    PELMORA_RETURN_IF_FAILED(::CoCreateGuid(&id));
    wchar_t buffer[40] = {};
    if (::StringFromGUID2(id, buffer, static_cast<int>(std::size(buffer))) == 0) return E_UNEXPECTED;
    text = buffer;
    return S_OK;
}

void AppendLine(std::wstring& text, std::wstring_view indent, std::initializer_list<std::wstring_view> pieces) {
    text.append(indent);
    for (std::wstring_view piece : pieces) text.append(piece);
    text.append(kCrLf);
}

}  // namespace

CScriptletCode::CScriptletCode(ITypeInfo* eventTypeInfo) : eventTypeInfo_(eventTypeInfo) {
    std::string_view bytes;
    templateStatus_ = win::LoadResourceBytes(ui::CurrentModuleInstance(), IDR_WSC_TEMPLATE, kTemplateResourceType,
                                             bytes);
    if (FAILED(templateStatus_)) {
        PELMORA_LOG(LOG_ERROR, "Can not load the script template.", templateStatus_, "CScriptletCode::CScriptletCode");
        return;
    }
    templateText_ = win::AnsiToWide(bytes);
}

CScriptletCode::~CScriptletCode() = default;

void CScriptletCode::AddProperty(const std::wstring& name) { members_[name] = Member{kProperty, {}}; }

void CScriptletCode::AddMethod(const std::wstring& name, std::vector<std::wstring> parameterNames) {
    members_[name] = Member{kMethod, std::move(parameterNames)};
}

HRESULT CScriptletCode::CollectEventMethods() {
    if (!eventTypeInfo_) return E_POINTER;
    com::TypeAttrHolder attributes;
    PELMORA_RETURN_IF_FAILED(eventTypeInfo_->GetTypeAttr(attributes.put(eventTypeInfo_.get())));
    if (!attributes) return E_UNEXPECTED;

    HRESULT firstFailure = S_OK;
    auto noteFailure = [&firstFailure](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(firstFailure)) firstFailure = hr;
        return FAILED(hr);
    };
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        com::FuncDescHolder function;
        if (noteFailure(eventTypeInfo_->GetFuncDesc(index, function.put(eventTypeInfo_.get())))) continue;
        if (!function && noteFailure(E_UNEXPECTED)) continue;

        com::MemberNames names;
        if (noteFailure(names.Fetch(eventTypeInfo_.get(), function->memid)) || names.count() == 0) continue;

        std::vector<std::wstring> parameterNames;
        for (UINT i = 1; i < names.count(); ++i) parameterNames.push_back(names[i] ? names[i] : L"");
        AddMethod(names[0] ? names[0] : L"", std::move(parameterNames));
    }
    return firstFailure;
}

std::wstring CScriptletCode::BuildPublicSection() const {
    std::wstring text;
    for (const auto& [name, member] : members_) {
        if (member.kind == kProperty) {
            AppendLine(text, kIndent, {L"<property name=\"", name, L"\"/>"});
        } else if (member.parameterNames.empty()) {
            AppendLine(text, kIndent, {L"<method name=\"", name, L"\"/>"});
        } else {
            // The event's arguments all arrive packed in the one Params object.
            AppendLine(text, kIndent,
                       {L"<method name=\"", name, L"\">", L"<parameter name=\"Params\"/>", L"</method>"});
        }
    }
    return text;
}

std::wstring CScriptletCode::BuildScriptBody() const {
    std::wstring text;
    for (const auto& [name, member] : members_) {
        if (member.kind == kProperty) {
            AppendLine(text, kIndent, {L"var ", name, L";"});
            AppendLine(text, kIndent, {L"function get_", name, L"()"});
            AppendLine(text, kIndent, {L"{"});
            AppendLine(text, kBodyIndent, {L"return ", name, L";"});
            AppendLine(text, kIndent, {L"}"});
            AppendLine(text, kIndent, {L"function put_", name, L"(newValue)"});
            AppendLine(text, kIndent, {L"{"});
            AppendLine(text, kBodyIndent, {name, L" = newValue;"});
            AppendLine(text, kIndent, {L"}"});
        } else if (member.parameterNames.empty()) {
            AppendLine(text, kIndent, {L"function ", name, L"()"});
            AppendLine(text, kIndent, {L"{"});
            AppendLine(text, kIndent, {L"}"});
        } else {
            AppendLine(text, kIndent, {L"/* Function: ", name, kCommentPad});
            AppendLine(text, kCommentPad, {L"Params [properties]: ", JoinParameters(member.parameterNames)});
            AppendLine(text, kIndent, {L"*/"});
            AppendLine(text, kIndent, {L"function ", name, L"(Params)"});
            AppendLine(text, kIndent, {L"{"});
            AppendLine(text, kIndent, {L"}"});
        }
    }
    return text;
}

std::wstring CScriptletCode::JoinParameters(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text.append(L", ");
        text.append(names[i]);
    }
    return text;
}

HRESULT CScriptletCode::Save(const std::wstring& path) noexcept {
    try {
        PELMORA_RETURN_IF_FAILED(templateStatus_);
        PELMORA_RETURN_IF_FAILED(CollectEventMethods());
        std::wstring clsid;
        PELMORA_RETURN_IF_FAILED(NewClsidText(clsid));

        const std::wstring text = FillTemplateFields(
            templateText_, {L"Component id", L"prog.id", L"Description", L"1.0", clsid, BuildPublicSection(),
                            L"JScript", BuildScriptBody()});
        const win::FileReplaceResult result = win::ReplaceFileContents(path, win::WideToAnsi(text));
        if (result.failedStep == win::FileReplaceStep::None) return S_OK;
        try {
            const std::string shown = win::WideToAnsi(path);
            if (result.failedStep == win::FileReplaceStep::Open)
                PELMORA_LOG(LOG_ERROR, "Can not open file (" + shown + ").", result.error, "CScriptletCode::Save");
            else
                PELMORA_LOG(LOG_ERROR, "Can not save file (" + shown + ").", result.error, "CScriptletCode::Save");
            ui::ShowFileErrorBox(path, result.error,
                                 ui::LoadResourceString(ui::CurrentModuleInstance(), IDS_FAILED_TO_SAVE_FILE),
                                 kMessageBoxCaption);
        } catch (...) {
            // Out of memory while reporting: the caller still learns of the failure.
        }
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora
