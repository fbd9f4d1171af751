#include "ScriptComponentReader.h"

#include <xmllite.h>

#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "ScriptFileInput.h"
#include "ScriptRuntimeErrors.h"
#include "framework/com/ComPtr.h"
#include "framework/win/HResult.h"
#include "framework/win/ProcAddress.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::scriptrt {

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool IsJScript(std::wstring_view language) {
    return EqualsIgnoringCase(language, L"JScript") || EqualsIgnoringCase(language, L"JavaScript");
}

std::wstring_view LocalName(IXmlReader& reader) {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetLocalName(&name, &length)) || !name) return {};
    return {name, length};
}

std::wstring_view NodeValue(IXmlReader& reader) {
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetValue(&value, &length)) || !value) return {};
    return {value, length};
}

// The value of the current element's attribute; the reader is left on the element.
std::optional<std::wstring> AttributeValue(IXmlReader& reader, std::wstring_view attribute) {
    std::optional<std::wstring> found;
    for (HRESULT hr = reader.MoveToFirstAttribute(); hr == S_OK; hr = reader.MoveToNextAttribute()) {
        if (LocalName(reader) == attribute) {
            found = std::wstring(NodeValue(reader));
            break;
        }
    }
    reader.MoveToElement();
    return found;
}

// Follows the element nesting and picks out the parts of the first component.
class ComponentWalker {
public:
    // inputSize: bytes of input; every node uses up at least one of them, so more
    // nodes than bytes means the reader no longer advances. (Wine's reader, at the
    // end of input inside an open element, answers the same whitespace node forever
    // instead of failing.)
    ComponentWalker(IXmlReader& reader, ULONGLONG inputSize) : reader_(reader), maxNodes_(inputSize + 1) {}

    HRESULT Walk(ScriptComponentDefinition& definition) {
        XmlNodeType type = XmlNodeType_None;
        HRESULT hr = S_OK;
        while ((hr = reader_.Read(&type)) == S_OK) {
            if (++nodes_ > maxNodes_) return kScriptFileMalformed;
            switch (type) {
            case XmlNodeType_Element:
                PELMORA_RETURN_IF_FAILED(OnElement());
                break;
            case XmlNodeType_EndElement:
                OnEndElement();
                break;
            case XmlNodeType_Text:
            case XmlNodeType_CDATA:
            case XmlNodeType_Whitespace:
                OnText();
                break;
            case XmlNodeType_ProcessingInstruction:
                OnProcessingInstruction();
                break;
            default:
                break;
            }
        }
        if (FAILED(hr)) return kScriptFileMalformed;
        if (memberFault_) return kScriptFileMalformed;
        if (!componentSeen_) return kComponentElementMissing;
        if (definition_.scripts.empty()) return kScriptElementMissing;
        if (foreignLanguage_) return kScriptLanguageUnsupported;
        definition = std::move(definition_);
        return S_OK;
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    HRESULT OnElement() {
        const std::wstring name(LocalName(reader_));
        const bool empty = reader_.IsEmptyElement() != FALSE;
        const size_t depth = open_.size();
        if (depth == 0) {
            if (name == L"component") EnterComponent(depth);
            else if (name != L"package") return kComponentElementMissing;
        } else if (componentDepth_ == kNone && !componentSeen_ && depth == 1 && name == L"component") {
            EnterComponent(depth);
        } else if (componentDepth_ != kNone && depth == componentDepth_ + 1) {
            if (name == L"public") publicDepth_ = depth;
            if (name == L"script") EnterScript(depth);
        } else if (publicDepth_ != kNone && depth == publicDepth_ + 1) {
            if (name == L"method") AddMember(PublicMemberKind::Method);
            if (name == L"property") AddMember(PublicMemberKind::Property);
        }
        if (empty)
            LeaveElement(depth);
        else
            open_.push_back(name);
        return S_OK;
    }

    void OnEndElement() {
        if (open_.empty()) return;
        open_.pop_back();
        LeaveElement(open_.size());
    }

    void LeaveElement(size_t depth) {
        if (depth == scriptDepth_) scriptDepth_ = kNone;
        if (depth == publicDepth_) publicDepth_ = kNone;
        if (depth == componentDepth_) componentDepth_ = kNone;
    }

    void OnText() {
        if (scriptDepth_ == kNone || open_.size() != scriptDepth_ + 1) return;
        definition_.scripts.back().text.append(NodeValue(reader_));
    }

    // <?component error="true" debug="false"?> in the package or the component.
    void OnProcessingInstruction() {
        if (LocalName(reader_) != L"component" || open_.size() > 2) return;
        const std::wstring value(NodeValue(reader_));
        const size_t at = value.find(L"error");
        if (at == std::wstring::npos) return;
        size_t quote = value.find_first_of(L"\"'", at);
        if (quote == std::wstring::npos) return;
        const size_t end = value.find(value[quote], quote + 1);
        if (end == std::wstring::npos) return;
        const std::wstring flag = value.substr(quote + 1, end - quote - 1);
        definition_.reportErrors = EqualsIgnoringCase(flag, L"true");
    }

    void EnterComponent(size_t depth) {
        componentDepth_ = depth;
        componentSeen_ = true;
    }

    void EnterScript(size_t depth) {
        const std::optional<std::wstring> language = AttributeValue(reader_, L"language");
        if (!language || !IsJScript(*language)) foreignLanguage_ = true;
        UINT line = 1;
        if (FAILED(reader_.GetLineNumber(&line)) || line == 0) line = 1;
        ScriptBlock block;
        block.firstLine = line - 1;
        definition_.scripts.push_back(std::move(block));
        scriptDepth_ = depth;
    }

    void AddMember(PublicMemberKind kind) {
        std::optional<std::wstring> name = AttributeValue(reader_, L"name");
        if (!name || name->empty()) {
            memberFault_ = true;
            return;
        }
        for (const PublicMember& member : definition_.members) {
            if (member.name == *name) {
                memberFault_ = true;  // which of the two declarations would be meant is unknowable
                return;
            }
        }
        definition_.members.push_back(PublicMember{std::move(*name), kind});
    }

    IXmlReader& reader_;
    const ULONGLONG maxNodes_;
    ULONGLONG nodes_ = 0;
    ScriptComponentDefinition definition_;
    std::vector<std::wstring> open_;
    size_t componentDepth_ = kNone;
    size_t publicDepth_ = kNone;
    size_t scriptDepth_ = kNone;
    bool componentSeen_ = false;
    bool foreignLanguage_ = false;
    bool memberFault_ = false;
};

}  // namespace

HRESULT ReadScriptComponent(const std::wstring& path, ScriptComponentDefinition& definition) noexcept {
    try {
        com::ComPtr<IStream> input;
        PELMORA_RETURN_IF_FAILED(OpenScriptFileInput(path, input));

        // Declared before the reader so the library outlives it.
        win::UniqueModule xmlLite(::LoadLibraryW(L"xmllite.dll"));
        if (!xmlLite) return win::HResultFromLastError();
        auto createXmlReader = win::GetProcAddressAs<CreateXmlReaderFn>(xmlLite.get(), "CreateXmlReader");
        if (!createXmlReader) return win::HResultFromLastError();
        com::ComPtr<IXmlReader> reader;
        PELMORA_RETURN_IF_FAILED(createXmlReader(__uuidof(IXmlReader), reader.put_void(), nullptr));
        // Script files come from anywhere: no document type definitions, no entity expansion.
        PELMORA_RETURN_IF_FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit));
        STATSTG status{};
        PELMORA_RETURN_IF_FAILED(input->Stat(&status, STATFLAG_NONAME));
        PELMORA_RETURN_IF_FAILED(reader->SetInput(input.get()));
        return ComponentWalker(*reader.get(), status.cbSize.QuadPart).Walk(definition);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::scriptrt
